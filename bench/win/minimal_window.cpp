// The least a Win32 program does to show a window: the floor for tarvik.exe's start-up.
#include <windows.h>

LRESULT CALLBACK proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, w, l);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = proc;
    window_class.hInstance = instance;
    window_class.lpszClassName = "MinimalWindow";
    RegisterClassA(&window_class);
    HWND window = CreateWindowA("MinimalWindow", "minimal", WS_OVERLAPPEDWINDOW, 100, 100, 756, 445, nullptr, nullptr,
                                instance, nullptr);
    ShowWindow(window, show);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
