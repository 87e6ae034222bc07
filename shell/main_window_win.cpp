#include "shell/main_window.h"

#include <windows.h>

#include "engines/settings_file.h"
#include "runtime/utf.h"
#include "shell/anywhere.h"
#include "shell/controls.h"
#include "shell/dpi.h"
#include "shell/resource_ids.h"
#include "shell/settings_dialog.h"
#include "shell/window_description.h"
#include "speech/media_player.h"

namespace shell {

namespace {

const wchar_t kWindowClass[] = L"TarvikMainWindow";
const int kFirstControlId = 1000;
// The system keeps the low four bits of a system-menu command for itself.
const WPARAM kSystemCommandMask = 0xFFF0;
const int kOpenListHeight = 160;
// Some systems leave the field, sized for their own font until ours is set, out of the open list's
// height. Making the list this much taller at once spares a resize of every list at start-up.
const int kFieldRoom = 30;
// The frame of a drop-down list's closed field around its item, top and bottom together.
const int kFieldFrame = 6;

struct KindStyle {
    const wchar_t* window_class;
    DWORD style;
    DWORD extended_style;
};

KindStyle style_of(Kind kind) {
    const DWORD child = WS_CHILD | WS_VISIBLE;
    switch (kind) {
        case Kind::label: return {L"STATIC", child | SS_LEFTNOWORDWRAP, WS_EX_TRANSPARENT};
        case Kind::edit: return {L"EDIT", child | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
        case Kind::multiline_edit:
            return {L"EDIT", child | WS_TABSTOP | WS_VSCROLL | ES_LEFT | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL,
                    WS_EX_CLIENTEDGE};
        case Kind::drop_down_list: return {L"COMBOBOX", child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_NOINTEGRALHEIGHT, 0};
        case Kind::button: return {L"BUTTON", child | WS_TABSTOP | BS_PUSHBUTTON, 0};
        case Kind::check_box: return {L"BUTTON", child | WS_TABSTOP | BS_AUTOCHECKBOX, 0};
        case Kind::media_player: return {L"STATIC", WS_CHILD, 0};  // a unit without a visible window
    }
    return {L"STATIC", child, 0};
}

int modifier_state() {
    int state = 0;
    if (GetKeyState(VK_CONTROL) < 0) state += kCtrl;
    if (GetKeyState(VK_SHIFT) < 0) state += kShift;
    if (GetKeyState(VK_MENU) < 0) state += kAlt;
    return state;
}

// The procedures of the keyed controls before key_control_proc took over, by control. Written when
// the controls are made and read on the window's thread only, where their messages arrive.
WNDPROC original_procs[kControlCount];

// Controls with a key-pressed handler see their keys here first, ordinary and system keys alike.
LRESULT CALLBACK key_control_proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    int id = GetDlgCtrlID(window) - kFirstControlId;
    WNDPROC original = original_procs[id];
    const ControlDescription& description = control_descriptions()[id];
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
        description.key_pressed(static_cast<int>(w), modifier_state());
    } else if (message == WM_GETDLGCODE) {
        // Enter and Alt combinations belong to the control, not to dialog navigation.
        return CallWindowProcW(original, window, message, w, l) | DLGC_WANTALLKEYS;
    } else if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    }
    return CallWindowProcW(original, window, message, w, l);
}

// The window's DPI and the font made for it. Read and written on the window's thread only.
int windowDpi = kDescriptionDpi;
HFONT windowFont = nullptr;

// A drop-down list's window is its closed field and, below it, the open list.
int list_window_height(const Rect& field, int dpi) { return field.height + scaled(kOpenListHeight + kFieldRoom, dpi); }

// The open list must be at least kOpenListHeight (scaled) tall below the field, whatever the system
// makes of the height the combo box was given.
void ensure_open_list_height(HWND list, const Rect& field, int dpi) {
    RECT open;
    SendMessageW(list, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&open));
    int wanted = scaled(kOpenListHeight, dpi);
    int missing = wanted - (open.bottom - open.top - field.height);
    if (missing <= 0) return;
    SetWindowPos(list, nullptr, 0, 0, field.width, field.height + wanted + missing,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int window_height(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}

// The closed list keeps the height of its rectangle. Its frame around the item is kFieldFrame on the
// systems we know; where the system draws it otherwise, the item height is corrected once.
void set_field_height(HWND list, int height) {
    int item = height - kFieldFrame;
    SendMessageW(list, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), item);
    int actual = window_height(list);
    if (actual != height) SendMessageW(list, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), item + height - actual);
}

// Font and list heights of a control that is already at its place for the DPI.
void fit_control(HWND window, const ControlDescription& description, const Rect& rect, int dpi, bool redraw) {
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(windowFont), redraw);
    if (description.kind != Kind::drop_down_list) return;
    // The field first: the open list is what the list's window has below it.
    set_field_height(window, rect.height);
    ensure_open_list_height(window, rect, dpi);
}

void fill_list(HWND list, Control control) {
    // Without redrawing, the list does not recount its scroll bar for every item.
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (const runtime::Text& item : initial_items(control)) {
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(runtime::wide(item).c_str()));
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    SendMessageW(list, CB_SETCURSEL, initial_selection(control), 0);
}

void create_controls(HWND parent) {
    windowDpi = dpi_of(parent);
    windowFont = font_for(windowDpi);
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    for (const ControlDescription& description : control_descriptions()) {
        KindStyle kind = style_of(description.kind);
        Rect rect = scaled_rect(description, windowDpi);
        bool list = description.kind == Kind::drop_down_list;
        int id = kFirstControlId + static_cast<int>(description.control);
        HWND window = CreateWindowExW(kind.extended_style, kind.window_class, runtime::wide(description.caption).c_str(),
                                      kind.style, rect.left, rect.top, rect.width,
                                      list ? list_window_height(rect, windowDpi) : rect.height, parent,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        bind_control(description.control, window);
        fit_control(window, description, rect, windowDpi, FALSE);
        switch (description.kind) {
            case Kind::multiline_edit:
            case Kind::edit: SendMessageW(window, EM_SETLIMITTEXT, 0, 0); break;
            case Kind::drop_down_list: fill_list(window, description.control); break;
            case Kind::check_box: SendMessageW(window, BM_SETCHECK, BST_CHECKED, 0); break;
            default: break;
        }
        if (description.key_pressed) {
            original_procs[static_cast<int>(description.control)] =
                reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(key_control_proc));
        }
    }
    speech::create_media_player();
}

// The window moved to a screen of another DPI (or the user changed its scale): it takes the place
// the system suggests and lays every control out again from the table, with a font for the DPI.
void on_dpi_changed(HWND window, int dpi, const RECT& suggested) {
    HFONT old_font = windowFont;
    windowDpi = dpi;
    windowFont = font_for(dpi);
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    for (const ControlDescription& description : control_descriptions()) {
        HWND control = static_cast<HWND>(native_window(description.control));
        Rect rect = scaled_rect(description, dpi);
        bool list = description.kind == Kind::drop_down_list;
        SetWindowPos(control, nullptr, rect.left, rect.top, rect.width,
                     list ? list_window_height(rect, dpi) : rect.height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        fit_control(control, description, rect, dpi, FALSE);
    }
    release_font(old_font);
    // One repaint of the whole window, through the skin's background, instead of one per control.
    RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
}

const ControlDescription* description_of_id(WPARAM w) {
    int index = static_cast<int>(LOWORD(w)) - kFirstControlId;
    if (index < 0 || index >= kControlCount) return nullptr;
    return &control_descriptions()[index];
}

void settings_command(HWND window) {
    if (!show_settings_dialog(window)) return;
    runtime::Text problem = register_hotkeys(window, engines::current_settings());
    if (!problem.empty()) {
        MessageBoxW(window, runtime::wide(problem).c_str(), runtime::wide(kSettingsDialogTitle).c_str(),
                    MB_OK | MB_ICONWARNING);
    }
}

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (answer_control_request(message, l)) return 0;
    if (is_taskbar_created(message)) {
        add_tray_icon(window);
        return 0;
    }
    switch (message) {
        case WM_CREATE: create_controls(window); return 0;
        case WM_COMMAND: {
            const ControlDescription* control = description_of_id(w);
            if (control && HIWORD(w) == BN_CLICKED && control->clicked) control->clicked();
            if (control && HIWORD(w) == CBN_SELCHANGE && control->item_selected) control->item_selected();
            return 0;
        }
        case WM_CTLCOLORSTATIC: {
            const ControlDescription* control = description_of_id(GetDlgCtrlID(reinterpret_cast<HWND>(l)));
            if (control && control->kind == Kind::label) {
                // Transparent labels draw only their text; the window shows through around it.
                SetBkMode(reinterpret_cast<HDC>(w), TRANSPARENT);
                return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
            }
            break;
        }
        case WM_SYSCOMMAND:
            if ((w & kSystemCommandMask) != kSettingsCommand) break;
            settings_command(window);
            return 0;
        case WM_SIZE:
            if (w == SIZE_MINIMIZED) minimized(window);
            return 0;
        case WM_HOTKEY: hotkey_pressed(static_cast<int>(w)); return 0;
        case kAfterStartMessage: start_from_anywhere(window); return 0;
        case kTrayMessage: tray_icon_message(window, l); return 0;
        case kCapturedMessage: take_captured(window, reinterpret_cast<const void*>(l)); return 0;
        case WM_DPICHANGED:
            on_dpi_changed(window, LOWORD(w), *reinterpret_cast<const RECT*>(l));
            return 0;
        case WM_DESTROY:
            stop_from_anywhere(window);
            shutdown_handler();
            speech::destroy_media_player();
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            release_font(windowFont);
            windowFont = nullptr;
            break;
    }
    return DefWindowProcW(window, message, w, l);
}

// The window's outer size at the DPI, centred on the screen.
Rect window_place(int dpi) {
    const WindowDescription& description = main_window_description();
    int width = scaled(description.width, dpi), height = scaled(description.height, dpi);
    return {(GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height};
}

}  // namespace

void* create_main_window(int show_command) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = window_proc;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_TARVIK));
    // The icon file has a small image; naming it spares the system scaling the large one down.
    window_class.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_TARVIK), IMAGE_ICON,
                                                         GetSystemMetrics(SM_CXSMICON),
                                                         GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = kWindowClass;
    RegisterClassExW(&window_class);

    Rect place = window_place(kDescriptionDpi);
    HWND window = CreateWindowExW(0, kWindowClass, runtime::wide(main_window_description().caption).c_str(),
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, place.left, place.top,
                                  place.width, place.height, nullptr, nullptr, instance, nullptr);
    if (window && windowDpi != kDescriptionDpi) {
        // The window's DPI is known once it exists; at another DPI it takes its scaled size, centred,
        // before it is shown.
        place = window_place(windowDpi);
        SetWindowPos(window, nullptr, place.left, place.top, place.width, place.height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (window) {
        add_settings_menu_item(window);
        // The window is on screen before the skin engine loads. The start-up handler still runs
        // before the event loop takes any input, and the engine repaints every window it skins.
        ShowWindow(window, show_command);
        startup_handler();
        UpdateWindow(window);
        // The hotkeys and the tray icon wait until the window has been drawn and answers.
        PostMessageW(window, kAfterStartMessage, 0, 0);
    }
    return window;
}

void dispatch_message(void* main_window, const void* raw) {
    MSG message = *static_cast<const MSG*>(raw);
    if (main_window && IsDialogMessageW(static_cast<HWND>(main_window), &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

int run_event_loop(void* main_window) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) dispatch_message(main_window, &message);
    return static_cast<int>(message.wParam);
}

}  // namespace shell
