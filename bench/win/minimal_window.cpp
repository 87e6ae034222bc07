// The least a Unicode Win32 program does to show a window: the floor for tarvik.exe's start-up.
#include <windows.h>

LRESULT CALLBACK proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, w, l);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = proc;
    window_class.hInstance = instance;
    window_class.lpszClassName = L"MinimalWindow";
    RegisterClassW(&window_class);
    HWND window = CreateWindowW(L"MinimalWindow", L"minimal", WS_OVERLAPPEDWINDOW, 100, 100, 756, 445, nullptr, nullptr,
                                instance, nullptr);
    ShowWindow(window, show);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
