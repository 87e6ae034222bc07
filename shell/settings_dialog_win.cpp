#include "shell/settings_dialog.h"

#include <windows.h>

#include <vector>

#include "engines/engine.h"
#include "engines/settings_file.h"
#include "shell/dpi.h"
#include "shell/window_description.h"

namespace shell {

using runtime::Text;

const char kSettingsMenuText[] = "服务设置...";
const char kSettingsDialogTitle[] = "服务设置";

namespace {

// The dialog's speech list starts with the choice of writing no [speech] section at all.
const char kSpeechByDefault[] = "（默认）";
// Labels need ids of their own too, so that a new DPI can find them.
enum LabelId : int { kLabel1 = 2101, kLabel2, kLabel3, kLabel4, kLabel5, kLabel6 };
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
        {kLabel1, "STATIC", kChild, 0, 12, 16, 84, 20, "翻译引擎："},
        {kTranslationEngineField, "COMBOBOX", kList, 0, 100, 12, 266, 24, ""},
        {kLabel2, "STATIC", kChild, 0, 12, 48, 84, 20, "服务地址："},
        {kTranslationAddressField, "EDIT", kField, WS_EX_CLIENTEDGE, 100, 44, 266, 24, ""},
        {kLabel3, "STATIC", kChild, 0, 12, 80, 84, 20, "密钥："},
        {kTranslationKeyField, "EDIT", kField | ES_PASSWORD, WS_EX_CLIENTEDGE, 100, 76, 266, 24, ""},
        {kLabel4, "STATIC", kChild, 0, 12, 120, 84, 20, "朗读引擎："},
        {kSpeechEngineField, "COMBOBOX", kList, 0, 100, 116, 266, 24, ""},
        {kLabel5, "STATIC", kChild, 0, 12, 152, 84, 20, "朗读地址："},
        {kSpeechAddressField, "EDIT", kField, WS_EX_CLIENTEDGE, 100, 148, 266, 24, ""},
        {kLabel6, "STATIC", kChild, 0, 12, 184, 84, 20, "朗读密钥："},
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

// The dialog's own DPI and font, and the settings it was filled from, kept with the dialog window.
struct Layout {
    engines::Settings opened;
    int dpi = kDescriptionDpi;
    HFONT font = nullptr;
};

Layout& layout_of(HWND dialog) { return *reinterpret_cast<Layout*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

// Where the control goes at the DPI: the table's pixels scaled, a list with its open part below.
RECT place_of(const DialogControl& control, int dpi) {
    bool list = lstrcmpA(control.window_class, "COMBOBOX") == 0;
    int left = scaled(control.left, dpi), top = scaled(control.top, dpi);
    return {left, top, left + scaled(control.width, dpi),
            top + scaled(control.height + (list ? kOpenListHeight : 0), dpi)};
}

void create_controls(HWND dialog, const Layout& layout) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    for (const DialogControl& control : dialog_controls()) {
        RECT place = place_of(control, layout.dpi);
        HWND window = CreateWindowExA(control.extended_style, control.window_class, control.caption, control.style,
                                      place.left, place.top, place.right - place.left, place.bottom - place.top,
                                      dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance,
                                      nullptr);
        SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(layout.font), FALSE);
    }
}

// Moved to a screen of another DPI: the suggested place, every control again from the table, a
// font for the new DPI.
void relayout(HWND dialog, int dpi, const RECT& suggested) {
    Layout& layout = layout_of(dialog);
    HFONT old_font = layout.font;
    layout.dpi = dpi;
    layout.font = font_for(dpi);
    SetWindowPos(dialog, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    for (const DialogControl& control : dialog_controls()) {
        HWND window = GetDlgItem(dialog, control.id);
        RECT place = place_of(control, dpi);
        SetWindowPos(window, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(layout.font), TRUE);
    }
    release_font(old_font);
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

void place(HWND dialog, int dpi) {
    RECT frame{0, 0, scaled(kClientWidth, dpi), scaled(kClientHeight, dpi)};
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

void save(HWND dialog) {
    if (engines::save_settings(read_fields(dialog, layout_of(dialog).opened))) {
        EndDialog(dialog, IDOK);
        return;
    }
    Text message = "无法保存设置：" + engines::settings_write_path() + " 写不进去。原来的设置文件没有改动。";
    MessageBoxA(dialog, message.c_str(), kSettingsDialogTitle, MB_OK | MB_ICONERROR);
}

INT_PTR CALLBACK dialog_proc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_INITDIALOG: {
            Layout& layout = *reinterpret_cast<Layout*>(l);
            SetWindowLongPtrA(dialog, DWLP_USER, l);
            layout.dpi = dpi_of(dialog);
            layout.font = font_for(layout.dpi);
            SetWindowTextA(dialog, kSettingsDialogTitle);
            create_controls(dialog, layout);
            show_settings(dialog, layout.opened);
            place(dialog, layout.dpi);
            SetFocus(GetDlgItem(dialog, kTranslationEngineField));
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            if (LOWORD(w) == IDOK) save(dialog);
            if (LOWORD(w) == IDCANCEL) EndDialog(dialog, IDCANCEL);
            return TRUE;
        case WM_DPICHANGED: relayout(dialog, LOWORD(w), *reinterpret_cast<const RECT*>(l)); return TRUE;
        case WM_DESTROY: release_font(layout_of(dialog).font); return FALSE;
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
    Layout layout;
    layout.opened = engines::load_settings();
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &empty.header, static_cast<HWND>(owner), dialog_proc,
                                   reinterpret_cast<LPARAM>(&layout)) == IDOK;
}

}  // namespace shell
