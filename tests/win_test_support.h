// Helpers shared by the tests that run under Wine.
#pragma once

#include <windows.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "runtime/system.h"

namespace test_support {

// A fresh folder under the temporary directory, removed with its files when the object goes.
class TempFolder {
public:
    TempFolder() {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        static int counter = 0;
        path_ = std::string(base) + "tarvik_test_" + std::to_string(GetCurrentProcessId()) + "_" +
                std::to_string(++counter);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempFolder() {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::string name = found.cFileName;
                if (name != "." && name != "..") DeleteFileA((path_ + "\\" + name).c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(path_.c_str());
    }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// A path of the Linux side as Wine shows it: the host's root is drive Z:.
inline std::string windows_path(const std::string& unix_path) {
    std::string path = "Z:" + unix_path;
    for (char& c : path) if (c == '/') c = '\\';
    return path;
}

#ifdef TARVIK_BUILD_DIR
// A file of the build tree, as a Windows path.
inline std::string build_file(const std::string& relative) { return windows_path(TARVIK_BUILD_DIR "/" + relative); }
#endif

// The program's main window in another process, once it is visible; null before.
inline HWND visible_main_window_of(DWORD process) {
    for (HWND window = FindWindowExA(nullptr, nullptr, "TarvikMainWindow", nullptr); window;
         window = FindWindowExA(nullptr, window, "TarvikMainWindow", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == process && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

inline bool file_present(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

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
    char value[1024];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return (length > 0 && length < sizeof value) ? std::string(value, length) : fallback;
}

}  // namespace test_support
