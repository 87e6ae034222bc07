// A minimal Unicode window with the same kinds of native controls as tarvik's (6 labels, 3 edit boxes,
// 3 drop-down lists of 37 or 38 items, 5 buttons, 1 check box) and nothing else: what the controls
// alone cost at start-up, to tell the program's own start-up cost from the window system's.
#include <windows.h>

LRESULT CALLBACK proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, w, l);
}

void add(HWND parent, const wchar_t* window_class, DWORD style, int y) {
    HWND control = CreateWindowExW(0, window_class, L"x", WS_CHILD | WS_VISIBLE | style, 10, y, 100, 20, parent,
                                   nullptr, nullptr, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    if (lstrcmpW(window_class, L"COMBOBOX") == 0) {
        for (int i = 0; i < 37; ++i) SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"item"));
        SendMessageW(control, CB_SETCURSEL, 0, 0);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = proc;
    window_class.hInstance = instance;
    window_class.lpszClassName = L"MinimalControls";
    RegisterClassW(&window_class);
    HWND window = CreateWindowW(L"MinimalControls", L"minimal", WS_OVERLAPPEDWINDOW, 100, 100, 756, 445, nullptr,
                                nullptr, instance, nullptr);
    int y = 0;
    for (int i = 0; i < 6; ++i) add(window, L"STATIC", SS_LEFT, y += 20);
    for (int i = 0; i < 3; ++i) add(window, L"EDIT", WS_BORDER | (i ? ES_MULTILINE | WS_VSCROLL : 0), y += 20);
    for (int i = 0; i < 3; ++i) add(window, L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL, y += 20);
    for (int i = 0; i < 5; ++i) add(window, L"BUTTON", BS_PUSHBUTTON, y += 20);
    add(window, L"BUTTON", BS_AUTOCHECKBOX, y += 20);
    ShowWindow(window, show);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
