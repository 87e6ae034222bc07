// A minimal window with the same kinds of native controls as tarvik's (6 labels, 3 edit boxes,
// 3 drop-down lists of 37 or 38 items, 5 buttons, 1 check box) and nothing else: what the controls
// alone cost at start-up, to tell the program's own start-up cost from the window system's.
#include <windows.h>

LRESULT CALLBACK proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, w, l);
}

void add(HWND parent, const char* window_class, DWORD style, int y) {
    HWND control = CreateWindowExA(0, window_class, "x", WS_CHILD | WS_VISIBLE | style, 10, y, 100, 20, parent, nullptr,
                                   nullptr, nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    if (lstrcmpA(window_class, "COMBOBOX") == 0) {
        for (int i = 0; i < 37; ++i) SendMessageA(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("item"));
        SendMessageA(control, CB_SETCURSEL, 0, 0);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = proc;
    window_class.hInstance = instance;
    window_class.lpszClassName = "MinimalControls";
    RegisterClassA(&window_class);
    HWND window = CreateWindowA("MinimalControls", "minimal", WS_OVERLAPPEDWINDOW, 100, 100, 756, 445, nullptr, nullptr,
                                instance, nullptr);
    int y = 0;
    for (int i = 0; i < 6; ++i) add(window, "STATIC", SS_LEFT, y += 20);
    for (int i = 0; i < 3; ++i) add(window, "EDIT", WS_BORDER | (i ? ES_MULTILINE | WS_VSCROLL : 0), y += 20);
    for (int i = 0; i < 3; ++i) add(window, "COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL, y += 20);
    for (int i = 0; i < 5; ++i) add(window, "BUTTON", BS_PUSHBUTTON, y += 20);
    add(window, "BUTTON", BS_AUTOCHECKBOX, y += 20);
    ShowWindow(window, show);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
