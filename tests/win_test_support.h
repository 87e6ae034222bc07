// Helpers shared by the tests that run under Wine.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

#include "runtime/system.h"
#include "runtime/utf.h"

namespace test_support {

// A fresh folder under the temporary directory, removed with its files when the object goes.
// A fresh folder under the temporary directory, removed with its files when the object goes. Its
// name may end in any text, such as a script no code page holds.
class TempFolder {
public:
    explicit TempFolder(const std::string& suffix = "") {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        static int counter = 0;
        path_ = runtime::narrow(base) + "tarvik_test_" + std::to_string(GetCurrentProcessId()) + "_" +
                std::to_string(++counter) + suffix;
        CreateDirectoryW(runtime::wide(path_).c_str(), nullptr);
    }
    ~TempFolder() {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(runtime::wide(path_ + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::string name = runtime::narrow(found.cFileName);
                if (name != "." && name != "..") DeleteFileW(runtime::wide(path_ + "\\" + name).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(runtime::wide(path_).c_str());
    }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// The file's bytes, empty when it cannot be read; the path is UTF-8.
inline std::string read_file(const std::string& path) {
    HANDLE file = CreateFileW(runtime::wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string content;
    char chunk[65536];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) content.append(chunk, read);
    CloseHandle(file);
    return content;
}

// A path of the Linux side as Wine shows it: the host's root is drive Z:.
inline std::string windows_path(const std::string& unix_path) {
    std::string path = "Z:" + unix_path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

#ifdef TARVIK_BUILD_DIR
// A file of the build tree, as a Windows path.
inline std::string build_file(const std::string& relative) { return windows_path(TARVIK_BUILD_DIR "/" + relative); }
#endif

// A visible top-level window of the class in another process; null while there is none.
inline HWND visible_window_of(DWORD process, const wchar_t* window_class) {
    for (HWND window = FindWindowExW(nullptr, nullptr, window_class, nullptr); window;
         window = FindWindowExW(nullptr, window, window_class, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == process && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

// The program's main window in another process, once it is visible; null before.
inline HWND visible_main_window_of(DWORD process) { return visible_window_of(process, L"TarvikMainWindow"); }

inline bool file_present(const std::string& path) {
    return GetFileAttributesW(runtime::wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A window's text, read as UTF-16; also the content of an edit box in another process.
inline std::string text_of(HWND window) {
    LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    LRESULT copied = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return runtime::narrow(text);
}

// Pumps this thread's messages until the condition holds or the deadline passes.
inline bool wait_until(const std::function<bool()>& condition, int timeout_ms = 10000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        runtime::process_events();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

inline std::string environment(const char* name, const std::string& fallback = "") {
    wchar_t value[1024];
    DWORD length = GetEnvironmentVariableW(runtime::wide(name).c_str(), value, 1024);
    return (length > 0 && length < 1024) ? runtime::narrow(value, length) : fallback;
}

}  // namespace test_support
