#include <windows.h>

#include <algorithm>

#include "runtime/handle.h"
#include "runtime/system.h"
#include "runtime/utf.h"

namespace runtime {

Text program_directory() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return Text();
        if (length < path.size()) {
            Text full = narrow(path.data(), length);
            size_t slash = full.find_last_of('\\');
            return slash == Text::npos ? Text() : full.substr(0, slash);
        }
        path.resize(path.size() * 2);
    }
}

bool remove_file(const Text& path) { return DeleteFileW(wide(path).c_str()) != 0; }

bool file_exists(const Text& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(wide(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

bool write_file(const Text& path, const std::vector<Bytes>& buffers) {
    if (path.empty()) return false;
    FileHandle file(
        CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    for (const Bytes& buffer : buffers) {
        size_t done = 0;
        while (done < buffer.size()) {
            DWORD chunk = static_cast<DWORD>(std::min<size_t>(buffer.size() - done, 1u << 30));
            DWORD written = 0;
            if (!WriteFile(file.get(), buffer.data() + done, chunk, &written, nullptr) || written != chunk)
                return false;
            done += written;
        }
    }
    return CloseHandle(file.release()) != 0;
}

bool run_command_line(const Text& command_line, bool wait, std::optional<int> window_mode) {
    static const WORD kShow[] = {SW_HIDE,          SW_SHOWNORMAL,     SW_SHOWMINIMIZED,
                                 SW_SHOWMAXIMIZED, SW_SHOWNOACTIVATE, SW_MINIMIZE};
    int mode = std::clamp(window_mode.value_or(2), 1, 6);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = kShow[mode - 1];
    PROCESS_INFORMATION process{};
    std::wstring writable = wide(command_line);  // the system may write into the command line
    if (!CreateProcessW(nullptr, &writable[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    if (wait) {
        WaitForSingleObject(process.hProcess, INFINITE);
    } else {
        WaitForInputIdle(process.hProcess, 1000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

void process_events() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
        if (message.message == WM_QUIT) return;
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) return;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void set_focus(void* window) { SetFocus(static_cast<HWND>(window)); }

void sleep_ms(int milliseconds) { Sleep(static_cast<DWORD>(std::max(milliseconds, 0))); }

}  // namespace runtime
