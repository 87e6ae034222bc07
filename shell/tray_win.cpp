#include <windows.h>
#include <shellapi.h>

#include "engines/settings_file.h"
#include "runtime/utf.h"
#include "shell/anywhere.h"
#include "shell/resource_ids.h"
#include "shell/settings_dialog.h"

namespace shell {

const char kTrayTip[] = "Tarvik 在线翻译";
const char kTrayMenuTexts[4][16] = {"显示窗口", "翻译剪贴板", "服务设置...", "退出"};

namespace {

const UINT kTrayIconId = 1;
// Read and written on the window's thread only.
bool trayIconShown = false;

NOTIFYICONDATAW icon_data(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = kTrayIconId;
    return data;
}

void show_tray_menu(HWND window) {
    HMENU menu = CreatePopupMenu();
    for (int command = kShowWindowCommand; command <= kExitCommand; ++command) {
        AppendMenuW(menu, MF_STRING, command, runtime::wide(kTrayMenuTexts[command - kShowWindowCommand]).c_str());
    }
    SetMenuDefaultItem(menu, kShowWindowCommand, FALSE);
    POINT at;
    GetCursorPos(&at);
    // The menu closes when the user clicks elsewhere only if its owner is the window in front. The
    // main window may be hidden in the tray, so the owner is a window of its own, a point at the
    // cursor, which goes with the menu.
    HWND owner = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, at.x, at.y, 1, 1, window,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(owner);
    int command = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
    DestroyWindow(owner);
    DestroyMenu(menu);
    switch (command) {
        case kShowWindowCommand: bring_up_window(window); break;
        case kTranslateClipboardCommand: translate_clipboard_command(); break;
        case kTraySettingsCommand:
            bring_up_window(window);
            SendMessageW(window, WM_SYSCOMMAND, kSettingsCommand, 0);
            break;
        case kExitCommand: SendMessageW(window, WM_CLOSE, 0, 0); break;
    }
}

}  // namespace

bool add_tray_icon(void* window) {
    NOTIFYICONDATAW data = icon_data(static_cast<HWND>(window));
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayMessage;
    data.hIcon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TARVIK), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    lstrcpynW(data.szTip, runtime::wide(kTrayTip).c_str(), ARRAYSIZE(data.szTip));
    trayIconShown = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    return trayIconShown;
}

void remove_tray_icon(void* window) {
    if (!trayIconShown) return;
    NOTIFYICONDATAW data = icon_data(static_cast<HWND>(window));
    Shell_NotifyIconW(NIM_DELETE, &data);
    trayIconShown = false;
}

void tray_icon_message(void* raw_window, std::intptr_t mouse_message) {
    HWND window = static_cast<HWND>(raw_window);
    if (mouse_message == WM_LBUTTONUP) {
        if (IsWindowVisible(window) && !IsIconic(window)) {
            ShowWindow(window, SW_HIDE);
        } else {
            bring_up_window(window);
        }
    } else if (mouse_message == WM_RBUTTONUP || mouse_message == WM_CONTEXTMENU) {
        show_tray_menu(window);
    }
}

void minimized(void* window) {
    if (trayIconShown && engines::current_settings().minimize_to_tray) ShowWindow(static_cast<HWND>(window), SW_HIDE);
}

void bring_up_window(void* raw_window) {
    HWND window = static_cast<HWND>(raw_window);
    if (IsIconic(window)) {
        ShowWindow(window, SW_RESTORE);
    } else if (!IsWindowVisible(window)) {
        ShowWindow(window, SW_SHOW);
    }
    SetForegroundWindow(window);
}

}  // namespace shell
