#include "shell/settings_dialog.h"

#include <windows.h>

#include <vector>

#include "engines/engine.h"
#include "engines/settings_file.h"

namespace shell {

using runtime::Text;

const char kSettingsMenuText[] = "服务设置...";
const char kSettingsDialogTitle[] = "服务设置";

namespace {

// The dialog's speech list starts with the choice of writing no [speech] section at all.
const char kSpeechByDefault[] = "（默认）";
const int kLabel = -1;
const int kClientWidth = 380, kClientHeight = 252;
const int kOpenListHeight = 120;

struct DialogControl {
    int id;
    const char* window_class;
    DWORD style;
    DWORD extended_style;
    int left, top, width, height;
    const char* caption;
};

const DWORD kChild = WS_CHILD | WS_VISIBLE;
const DWORD kField = kChild | WS_TABSTOP | ES_AUTOHSCROLL;
const DWORD kList = kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;

// The dialog as data, in tab order, at 96 DPI.
const std::vector<DialogControl>& dialog_controls() {
    static const std::vector<DialogControl> controls = {
        {kLabel, "STATIC", kChild, 0, 12, 16, 84, 20, "翻译引擎："},
        {kTranslationEngineField, "COMBOBOX", kList, 0, 100, 12, 266, 24, ""},
        {kLabel, "STATIC", kChild, 0, 12, 48, 84, 20, "服务地址："},
        {kTranslationAddressField, "EDIT", kField, WS_EX_CLIENTEDGE, 100, 44, 266, 24, ""},
        {kLabel, "STATIC", kChild, 0, 12, 80, 84, 20, "密钥："},
        {kTranslationKeyField, "EDIT", kField | ES_PASSWORD, WS_EX_CLIENTEDGE, 100, 76, 266, 24, ""},
        {kLabel, "STATIC", kChild, 0, 12, 120, 84, 20, "朗读引擎："},
        {kSpeechEngineField, "COMBOBOX", kList, 0, 100, 116, 266, 24, ""},
        {kLabel, "STATIC", kChild, 0, 12, 152, 84, 20, "朗读地址："},
        {kSpeechAddressField, "EDIT", kField, WS_EX_CLIENTEDGE, 100, 148, 266, 24, ""},
        {kLabel, "STATIC", kChild, 0, 12, 184, 84, 20, "朗读密钥："},
        {kSpeechKeyField, "EDIT", kField | ES_PASSWORD, WS_EX_CLIENTEDGE, 100, 180, 266, 24, ""},
        {IDOK, "BUTTON", kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 196, 214, 80, 28, "确定"},
        {IDCANCEL, "BUTTON", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0, 286, 214, 80, 28, "取消"},
    };
    return controls;
}

Text field_text(HWND dialog, int id) {
    HWND field = GetDlgItem(dialog, id);
    std::vector<char> text(GetWindowTextLengthA(field) + 1);
    int length = GetWindowTextA(field, text.data(), static_cast<int>(text.size()));
    return Text(text.data(), length);
}

void set_field(HWND dialog, int id, const Text& text) { SetDlgItemTextA(dialog, id, text.c_str()); }

// Fills a list with the names and selects the one given; a name the list does not know is added,
// so that what the file says is shown as it is.
void fill_list(HWND dialog, int id, std::vector<Text> names, const Text& selected) {
    HWND list = GetDlgItem(dialog, id);
    bool known = false;
    for (const Text& name : names) known = known || name == selected;
    if (!known) names.push_back(selected);
    for (const Text& name : names) SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageA(list, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(selected.c_str()));
}

void create_controls(HWND dialog) {
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HINSTANCE instance = GetModuleHandleA(nullptr);
    for (const DialogControl& control : dialog_controls()) {
        bool list = lstrcmpA(control.window_class, "COMBOBOX") == 0;
        HWND window =
            CreateWindowExA(control.extended_style, control.window_class, control.caption, control.style, control.left,
                            control.top, control.width, control.height + (list ? kOpenListHeight : 0), dialog,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
        SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}

void show_settings(HWND dialog, const engines::Settings& settings) {
    fill_list(dialog, kTranslationEngineField, engines::translation_engine_names(), settings.translation.engine);
    set_field(dialog, kTranslationAddressField, settings.translation.address);
    set_field(dialog, kTranslationKeyField, settings.translation.key);
    std::vector<Text> speech_names{kSpeechByDefault};
    for (const Text& name : engines::speech_engine_names()) speech_names.push_back(name);
    fill_list(dialog, kSpeechEngineField, speech_names,
              settings.speech_section ? settings.speech.engine : kSpeechByDefault);
    set_field(dialog, kSpeechAddressField, settings.speech.address);
    set_field(dialog, kSpeechKeyField, settings.speech.key);
}

// What the fields say, over the settings they were filled from: the [classic] hosts stay.
engines::Settings read_fields(HWND dialog, engines::Settings settings) {
    settings.translation = {field_text(dialog, kTranslationEngineField), field_text(dialog, kTranslationAddressField),
                            field_text(dialog, kTranslationKeyField), false};
    Text speech_engine = field_text(dialog, kSpeechEngineField);
    settings.speech_section = speech_engine != kSpeechByDefault;
    settings.speech = {settings.speech_section ? speech_engine : Text(engines::kClassic),
                       field_text(dialog, kSpeechAddressField), field_text(dialog, kSpeechKeyField), false};
    return settings;
}

void place(HWND dialog) {
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_EXSTYLE)));
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT owner{};
    HWND parent = GetWindow(dialog, GW_OWNER);
    if (!parent || !GetWindowRect(parent, &owner)) SystemParametersInfoA(SPI_GETWORKAREA, 0, &owner, 0);
    int left = owner.left + (owner.right - owner.left - width) / 2;
    int top = owner.top + (owner.bottom - owner.top - height) / 2;
    SetWindowPos(dialog, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The settings the dialog was opened with, kept with the dialog window.
const char kSettingsProperty[] = "TarvikSettings";

void save(HWND dialog) {
    auto* opened = static_cast<engines::Settings*>(GetPropA(dialog, kSettingsProperty));
    if (engines::save_settings(read_fields(dialog, *opened))) {
        EndDialog(dialog, IDOK);
        return;
    }
    Text message = "无法保存设置：" + engines::settings_write_path() + " 写不进去。原来的设置文件没有改动。";
    MessageBoxA(dialog, message.c_str(), kSettingsDialogTitle, MB_OK | MB_ICONERROR);
}

INT_PTR CALLBACK dialog_proc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_INITDIALOG:
            SetPropA(dialog, kSettingsProperty, reinterpret_cast<HANDLE>(l));
            SetWindowTextA(dialog, kSettingsDialogTitle);
            create_controls(dialog);
            show_settings(dialog, *reinterpret_cast<engines::Settings*>(l));
            place(dialog);
            SetFocus(GetDlgItem(dialog, kTranslationEngineField));
            return FALSE;  // the focus is set
        case WM_COMMAND:
            if (LOWORD(w) == IDOK) save(dialog);
            if (LOWORD(w) == IDCANCEL) EndDialog(dialog, IDCANCEL);
            return TRUE;
        case WM_DESTROY:
            RemovePropA(dialog, kSettingsProperty);
            return FALSE;
    }
    return FALSE;
}

}  // namespace

void add_settings_menu_item(void* main_window) {
    HMENU menu = GetSystemMenu(static_cast<HWND>(main_window), FALSE);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kSettingsCommand, kSettingsMenuText);
}

bool show_settings_dialog(void* owner) {
    // A template without controls: the dialog makes its controls from its table.
    struct alignas(DWORD) {
        DLGTEMPLATE header;
        WORD menu, window_class, title;
    } empty{{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 0, 0, 0, 0, 0}, 0, 0, 0};
    // Read afresh: the file may have been edited by hand since the program last read it.
    engines::Settings settings = engines::load_settings();
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &empty.header, static_cast<HWND>(owner), dialog_proc,
                                   reinterpret_cast<LPARAM>(&settings)) == IDOK;
}

}  // namespace shell
