#include <windows.h>

#include <vector>

#include "engines/engine.h"
#include "engines/settings_file.h"
#include "runtime/utf.h"
#include "shell/autostart.h"
#include "shell/dpi.h"
#include "shell/hotkey.h"
#include "shell/settings_dialog.h"
#include "shell/window_description.h"

namespace shell {

using runtime::Text;
using runtime::wide;

const char kSettingsMenuText[] = "服务设置...";
const char kSettingsDialogTitle[] = "服务设置";

namespace {

// The dialog's speech list starts with the choice of writing no [speech] section at all.
const char kSpeechByDefault[] = "（默认）";
// Shown in a key field in place of a key that this Windows user cannot decrypt.
const char kUnreadableKey[] = "（其他用户保存的密钥，无法读取）";
// Labels need ids of their own too, so that a new DPI can find them.
enum LabelId : int { kLabel1 = 2101, kLabel2, kLabel3, kLabel4, kLabel5, kLabel6, kLabel7, kLabel8, kExtraLabel };
const int kClientWidth = 380, kClientHeight = 390;
const int kOpenListHeight = 120;

struct DialogControl {
    int id;
    const wchar_t* window_class;
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
        {kLabel1, L"STATIC", kChild, 0, 12, 16, 84, 20, "翻译引擎："},
        {kTranslationEngineField, L"COMBOBOX", kList, 0, 100, 12, 266, 24, ""},
        {kLabel2, L"STATIC", kChild, 0, 12, 48, 84, 20, "服务地址："},
        {kTranslationAddressField, L"EDIT", kField, WS_EX_CLIENTEDGE, 100, 44, 266, 24, ""},
        {kLabel3, L"STATIC", kChild, 0, 12, 80, 84, 20, "密钥："},
        {kTranslationKeyField, L"EDIT", kField | ES_PASSWORD, WS_EX_CLIENTEDGE, 100, 76, 266, 24, ""},
        {kExtraLabel, L"STATIC", kChild, 0, 12, 112, 84, 20, ""},
        {kTranslationExtraField, L"EDIT", kField, WS_EX_CLIENTEDGE, 100, 108, 266, 24, ""},
        {kLabel4, L"STATIC", kChild, 0, 12, 152, 84, 20, "朗读引擎："},
        {kSpeechEngineField, L"COMBOBOX", kList, 0, 100, 148, 266, 24, ""},
        {kLabel5, L"STATIC", kChild, 0, 12, 184, 84, 20, "朗读地址："},
        {kSpeechAddressField, L"EDIT", kField, WS_EX_CLIENTEDGE, 100, 180, 266, 24, ""},
        {kLabel6, L"STATIC", kChild, 0, 12, 216, 84, 20, "朗读密钥："},
        {kSpeechKeyField, L"EDIT", kField | ES_PASSWORD, WS_EX_CLIENTEDGE, 100, 212, 266, 24, ""},
        {kLabel7, L"STATIC", kChild, 0, 12, 256, 84, 20, "划词翻译："},
        {kSelectionHotkeyField, L"EDIT", kField, WS_EX_CLIENTEDGE, 100, 252, 266, 24, ""},
        {kLabel8, L"STATIC", kChild, 0, 12, 288, 84, 20, "剪贴板翻译："},
        {kClipboardHotkeyField, L"EDIT", kField, WS_EX_CLIENTEDGE, 100, 284, 266, 24, ""},
        {kAutostartField, L"BUTTON", kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 100, 316, 266, 24, "开机时启动"},
        {IDOK, L"BUTTON", kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 196, 352, 80, 28, "确定"},
        {IDCANCEL, L"BUTTON", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0, 286, 352, 80, 28, "取消"},
    };
    return controls;
}

// What a field holds, without the spaces and tabs a paste brings along at either end.
Text field_text(HWND dialog, int id) {
    HWND field = GetDlgItem(dialog, id);
    std::vector<wchar_t> text(GetWindowTextLengthW(field) + 1);
    int length = GetWindowTextW(field, text.data(), static_cast<int>(text.size()));
    Text value = runtime::narrow(text.data(), length);
    size_t first = value.find_first_not_of(" \t");
    return first == Text::npos ? Text() : value.substr(first, value.find_last_not_of(" \t") - first + 1);
}

void set_field(HWND dialog, int id, const Text& text) { SetDlgItemTextW(dialog, id, wide(text).c_str()); }

// Fills a list with the names and selects the one given, matching the whole name; a name the list
// does not know is added, so that what the file says is shown as it is.
void fill_list(HWND dialog, int id, std::vector<Text> names, const Text& selected) {
    HWND list = GetDlgItem(dialog, id);
    bool known = false;
    for (const Text& name : names) known = known || name == selected;
    if (!known) names.push_back(selected);
    for (const Text& name : names) SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(name).c_str()));
    LRESULT index = SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(wide(selected).c_str()));
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// The dialog's own DPI and font, and the settings it was filled from, kept with the dialog window.
struct Layout {
    engines::Settings opened;
    int dpi = kDescriptionDpi;
    HFONT font = nullptr;
    // Whether the user has changed each key field since the dialog was filled; a key field left
    // alone writes back what the file held, as it was.
    bool translation_key_typed = false;
    bool speech_key_typed = false;
    bool filled = false;
    bool starts_with_windows = false;
};

Layout& layout_of(HWND dialog) { return *reinterpret_cast<Layout*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

// Where the control goes at the DPI: the table's pixels scaled, a list with its open part below.
RECT place_of(const DialogControl& control, int dpi) {
    bool list = lstrcmpW(control.window_class, L"COMBOBOX") == 0;
    int left = scaled(control.left, dpi), top = scaled(control.top, dpi);
    return {left, top, left + scaled(control.width, dpi),
            top + scaled(control.height + (list ? kOpenListHeight : 0), dpi)};
}

void create_controls(HWND dialog, const Layout& layout) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const DialogControl& control : dialog_controls()) {
        RECT place = place_of(control, layout.dpi);
        HWND window =
            CreateWindowExW(control.extended_style, control.window_class, wide(control.caption).c_str(), control.style,
                            place.left, place.top, place.right - place.left, place.bottom - place.top, dialog,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(layout.font), FALSE);
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
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(layout.font), TRUE);
    }
    release_font(old_font);
}

// A key that cannot be decrypted is said in its field, in the clear, until the field is entered.
void show_key(HWND dialog, int id, const engines::ServiceSettings& service) {
    if (!service.key_unreadable) {
        set_field(dialog, id, service.key);
        return;
    }
    SendDlgItemMessageW(dialog, id, EM_SETPASSWORDCHAR, 0, 0);
    set_field(dialog, id, kUnreadableKey);
}

void enter_key_field(HWND dialog, int id) {
    if (SendDlgItemMessageW(dialog, id, EM_GETPASSWORDCHAR, 0, 0) != 0) return;
    Layout& layout = layout_of(dialog);
    layout.filled = false;  // clearing the notice is no key typed
    set_field(dialog, id, "");
    layout.filled = true;
    SendDlgItemMessageW(dialog, id, EM_SETPASSWORDCHAR, L'\x25CF', 0);
}

// The setting of the engine's own, by its name in tarvik.ini, and the label the dialog gives it.
struct ExtraSetting {
    const char* name;
    const char* label;
    Text engines::ServiceSettings::*value;
};
const ExtraSetting kExtraSettings[] = {{"region", "区域：", &engines::ServiceSettings::region},
                                       {"client", "客户端：", &engines::ServiceSettings::client}};

const ExtraSetting* extra_setting_for(const Text& engine) {
    const char* name = engines::extra_setting_of(engine);
    for (const ExtraSetting& extra : kExtraSettings) {
        if (name && Text(name) == extra.name) return &extra;
    }
    return nullptr;
}

// The translation engine's own setting, with its label, shows only for an engine that has one.
void show_extra_setting(HWND dialog) {
    const ExtraSetting* extra = extra_setting_for(field_text(dialog, kTranslationEngineField));
    int show = extra ? SW_SHOW : SW_HIDE;
    ShowWindow(GetDlgItem(dialog, kExtraLabel), show);
    ShowWindow(GetDlgItem(dialog, kTranslationExtraField), show);
    if (!extra) return;
    set_field(dialog, kExtraLabel, extra->label);
    set_field(dialog, kTranslationExtraField, layout_of(dialog).opened.translation.*extra->value);
}

void show_settings(HWND dialog, const engines::Settings& settings) {
    fill_list(dialog, kTranslationEngineField, engines::translation_engine_names(), settings.translation.engine);
    set_field(dialog, kTranslationAddressField, settings.translation.address);
    show_key(dialog, kTranslationKeyField, settings.translation);
    std::vector<Text> speech_names{kSpeechByDefault};
    for (const Text& name : engines::speech_engine_names()) speech_names.push_back(name);
    fill_list(dialog, kSpeechEngineField, speech_names,
              settings.speech_section ? settings.speech.engine : kSpeechByDefault);
    set_field(dialog, kSpeechAddressField, settings.speech.address);
    show_key(dialog, kSpeechKeyField, settings.speech);
    set_field(dialog, kSelectionHotkeyField, settings.selection_hotkey);
    set_field(dialog, kClipboardHotkeyField, settings.clipboard_hotkey);
}

// A key field the user changed gives a key to protect; one left alone keeps what the file held.
engines::ServiceSettings read_service(HWND dialog, const engines::ServiceSettings& opened, const Text& engine,
                                      int address_field, int key_field, bool key_typed) {
    engines::ServiceSettings service = opened;
    service.engine = engine;
    service.address = field_text(dialog, address_field);
    if (key_typed) {
        service.key = field_text(dialog, key_field);
        service.key_unreadable = false;
        service.stored_key.reset();
    }
    return service;
}

// What the fields say, over the settings they were filled from: the [classic] hosts stay.
engines::Settings read_fields(HWND dialog, const Layout& layout) {
    engines::Settings settings = layout.opened;
    settings.translation = read_service(dialog, layout.opened.translation, field_text(dialog, kTranslationEngineField),
                                        kTranslationAddressField, kTranslationKeyField, layout.translation_key_typed);
    Text speech_engine = field_text(dialog, kSpeechEngineField);
    settings.speech_section = speech_engine != kSpeechByDefault;
    settings.speech =
        read_service(dialog, layout.opened.speech, settings.speech_section ? speech_engine : Text(engines::kClassic),
                     kSpeechAddressField, kSpeechKeyField, layout.speech_key_typed);
    if (const ExtraSetting* extra = extra_setting_for(settings.translation.engine)) {
        settings.translation.*extra->value = field_text(dialog, kTranslationExtraField);
    }
    settings.selection_hotkey = field_text(dialog, kSelectionHotkeyField);
    settings.clipboard_hotkey = field_text(dialog, kClipboardHotkeyField);
    return settings;
}

void say(HWND dialog, const Text& problem) {
    MessageBoxW(dialog, wide(problem).c_str(), wide(kSettingsDialogTitle).c_str(), MB_OK | MB_ICONERROR);
}

// A hotkey as written in the file: its canonical name, empty for none. Nothing when it cannot be
// one, which is said.
std::optional<Text> hotkey_of(HWND dialog, const Text& written) {
    if (written.empty()) return Text();
    std::optional<Hotkey> hotkey = parse_hotkey(written);
    if (hotkey) return hotkey_name(*hotkey);
    say(dialog, "快捷键“" + written +
                    "”无法识别。请写成 Ctrl+Alt+E 这样：Ctrl、Alt 或 Win 加一个字母、数字、F1 到 F24、Space、"
                    "Insert、Delete、Home、End、PageUp、PageDown、方向键或 Pause（F1 到 F24 也可单用）；留空则不用快捷键。");
    return std::nullopt;
}

bool hotkeys_accepted(HWND dialog, engines::Settings& settings) {
    std::optional<Text> selection = hotkey_of(dialog, settings.selection_hotkey);
    if (!selection) return false;
    std::optional<Text> clipboard = hotkey_of(dialog, settings.clipboard_hotkey);
    if (!clipboard) return false;
    if (!selection->empty() && *selection == *clipboard) {
        say(dialog, "两个快捷键相同（" + *selection + "）：请给它们不同的按键。");
        return false;
    }
    settings.selection_hotkey = *selection;
    settings.clipboard_hotkey = *clipboard;
    return true;
}

bool autostart_saved(HWND dialog) {
    bool ticked = IsDlgButtonChecked(dialog, kAutostartField) == BST_CHECKED;
    Layout& layout = layout_of(dialog);
    if (ticked == layout.starts_with_windows) return true;
    if (set_start_with_windows(ticked)) {
        layout.starts_with_windows = ticked;
        return true;
    }
    say(dialog, "未能更改“开机时启动”：Windows 拒绝写入注册表项 HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\"
                "CurrentVersion\\Run。");
    return false;
}

void place(HWND dialog, int dpi) {
    RECT frame{0, 0, scaled(kClientWidth, dpi), scaled(kClientHeight, dpi)};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT owner{};
    HWND parent = GetWindow(dialog, GW_OWNER);
    if (!parent || !GetWindowRect(parent, &owner)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &owner, 0);
    int left = owner.left + (owner.right - owner.left - width) / 2;
    int top = owner.top + (owner.bottom - owner.top - height) / 2;
    SetWindowPos(dialog, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// A key bound for an http:// address on another computer would cross the network readable by
// anyone on the way: the user says whether that is meant (a server on a home network may be).
bool clear_key_accepted(HWND dialog, const engines::ServiceSettings& service) {
    if (service.key.empty() || !engines::key_travels_in_clear(service.address)) return true;
    Text question = "密钥将以明文发送到 " + service.address +
                    "：网络上的任何人都可能读到它。若要加密传输，请把地址改成 https:// 开头。仍然这样保存吗？";
    return MessageBoxW(dialog, wide(question).c_str(), wide(kSettingsDialogTitle).c_str(),
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void save(HWND dialog) {
    engines::Settings settings = read_fields(dialog, layout_of(dialog));
    if (!clear_key_accepted(dialog, settings.translation)) return;
    if (settings.speech_section && !clear_key_accepted(dialog, settings.speech)) return;
    if (!hotkeys_accepted(dialog, settings) || !autostart_saved(dialog)) return;
    engines::SaveResult result = engines::save_settings(settings);
    if (!result.saved) {
        say(dialog, result.problem);
        return;
    }
    EndDialog(dialog, IDOK);
}

void note_key_typed(HWND dialog, int field) {
    Layout& layout = layout_of(dialog);
    if (!layout.filled) return;
    if (field == kTranslationKeyField) layout.translation_key_typed = true;
    if (field == kSpeechKeyField) layout.speech_key_typed = true;
}

INT_PTR CALLBACK dialog_proc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_INITDIALOG: {
            Layout& layout = *reinterpret_cast<Layout*>(l);
            SetWindowLongPtrW(dialog, DWLP_USER, l);
            layout.dpi = dpi_of(dialog);
            layout.font = font_for(layout.dpi);
            SetWindowTextW(dialog, wide(kSettingsDialogTitle).c_str());
            create_controls(dialog, layout);
            show_settings(dialog, layout.opened);
            show_extra_setting(dialog);
            layout.starts_with_windows = starts_with_windows();
            CheckDlgButton(dialog, kAutostartField, layout.starts_with_windows ? BST_CHECKED : BST_UNCHECKED);
            layout.filled = true;
            place(dialog, layout.dpi);
            SetFocus(GetDlgItem(dialog, kTranslationEngineField));
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            if (LOWORD(w) == IDOK) save(dialog);
            if (LOWORD(w) == IDCANCEL) EndDialog(dialog, IDCANCEL);
            if (HIWORD(w) == EN_CHANGE) note_key_typed(dialog, LOWORD(w));
            if (HIWORD(w) == CBN_SELCHANGE && LOWORD(w) == kTranslationEngineField) show_extra_setting(dialog);
            if (HIWORD(w) == EN_SETFOCUS && (LOWORD(w) == kTranslationKeyField || LOWORD(w) == kSpeechKeyField)) {
                enter_key_field(dialog, LOWORD(w));
            }
            return TRUE;
        case WM_DPICHANGED:
            relayout(dialog, LOWORD(w), *reinterpret_cast<const RECT*>(l));
            return TRUE;
        case WM_DESTROY:
            release_font(layout_of(dialog).font);
            return FALSE;
    }
    return FALSE;
}

}  // namespace

void add_settings_menu_item(void* main_window) {
    HMENU menu = GetSystemMenu(static_cast<HWND>(main_window), FALSE);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kSettingsCommand, wide(kSettingsMenuText).c_str());
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
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &empty.header, static_cast<HWND>(owner), dialog_proc,
                                   reinterpret_cast<LPARAM>(&layout)) == IDOK;
}

}  // namespace shell
