// Another program for the hotkey tests: a window whose edit control holds the text of a UTF-8 file,
// all of it selected (or none, with "none" after the path), in front and focused. With
// "--hold-hotkey", it holds Ctrl+Alt+E as its own hotkey instead; with "--hold-clipboard", it keeps
// the clipboard open. It runs until its window is closed.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

std::wstring file_text(const wchar_t* path) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::wstring();
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    std::wstring text(bytes.size(), L'\0');
    int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(read), &text[0],
                                     static_cast<int>(text.size()));
    text.resize(length > 0 ? length : 0);
    return text;
}

HWND edit = nullptr;

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    // Back in front, the focus returns to the text, as in any editor.
    if (message == WM_ACTIVATE && LOWORD(w) != WA_INACTIVE && edit) {
        SetFocus(edit);
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring first = count > 1 ? arguments[1] : L"";
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = window_proc;
    window_class.hInstance = instance;
    window_class.lpszClassName = L"TarvikSelectionSource";
    RegisterClassW(&window_class);
    HWND window = CreateWindowExW(0, L"TarvikSelectionSource", L"selection source", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  40, 40, 400, 200, nullptr, nullptr, instance, nullptr);
    if (first == L"--hold-hotkey") {
        if (!RegisterHotKey(window, 1, MOD_CONTROL | MOD_ALT, 'E')) return 2;
    } else if (first == L"--hold-clipboard") {
        if (!OpenClipboard(window)) return 2;
    } else {
        edit = CreateWindowExW(0, L"EDIT", L"",
                                    WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, 0, 0, 380, 160, window,
                                    nullptr, instance, nullptr);
        SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
        SetWindowTextW(edit, file_text(first.c_str()).c_str());
        bool none = count > 2 && std::wstring(arguments[2]) == L"none";
        SendMessageW(edit, EM_SETSEL, none ? -1 : 0, -1);
        SetForegroundWindow(window);
        SetFocus(edit);
    }
    // The test waits for this title: the program is ready.
    SetWindowTextW(window, L"selection source ready");
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
