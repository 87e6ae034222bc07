// hotkey_bench.exe TARVIK_EXE SOURCE_EXE STANDIN_HOST ROUNDS: the time from a hotkey pressed while
// another program is in front to its text standing in the program's source box, and what the
// hotkeys and the tray icon add to start-up. Prints three medians in ms, one per line: the selection
// hotkey (the selection taken by copy), the clipboard hotkey, and the time from the event loop's
// first answer (start-up done) to the hotkeys and the tray icon in place.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const wchar_t kFolder[] = L"C:\\tarvik_hotkey_bench";

void write(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

PROCESS_INFORMATION start(const std::wstring& command_line) {
    std::wstring command = command_line;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    return process;
}

template <typename Condition>
bool wait_for(Condition condition, int timeout_ms = 10000) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!condition()) {
        if (Clock::now() > deadline) return false;
        Sleep(1);
    }
    return true;
}

std::wstring text_of(HWND window) {
    wchar_t text[256] = {};
    SendMessageW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    return text;
}

HWND nth_edit(HWND window, int n) {
    HWND found = nullptr;
    for (int i = 0; i <= n; ++i) found = FindWindowExW(window, found, L"Edit", nullptr);
    return found;
}

void put_clipboard_text(const std::wstring& text) {
    while (!OpenClipboard(nullptr)) Sleep(1);
    EmptyClipboard();
    size_t size = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    memcpy(GlobalLock(memory), text.c_str(), size);
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

void press(WORD key) {
    INPUT keys[6] = {};
    WORD codes[6] = {VK_CONTROL, VK_MENU, key, key, VK_MENU, VK_CONTROL};
    for (int i = 0; i < 6; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = codes[i];
        keys[i].ki.dwFlags = i >= 3 ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(6, keys, sizeof(INPUT));
}

// One press: the other program in front, the boxes empty; the time until the text stands in the
// source box; then the translation is let finish.
double time_one(HWND other, HWND source_box, HWND result_box, WORD key, const std::wstring& expected) {
    SetForegroundWindow(other);
    wait_for([&] { return GetForegroundWindow() == other; }, 2000);
    SendMessageW(source_box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    SendMessageW(result_box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    auto pressed = Clock::now();
    press(key);
    if (!wait_for([&] { return text_of(source_box) == expected; })) return -1;
    double elapsed = std::chrono::duration<double, std::milli>(Clock::now() - pressed).count();
    wait_for([&] { return !text_of(result_box).empty(); });
    Sleep(100);
    return elapsed;
}

bool icon_present(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = 1;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

// The hotkeys are registered first and the icon added after them, both once the window is up.
double time_to_hotkeys_and_icon(const std::wstring& exe) {
    PROCESS_INFORMATION tarvik = start(L"\"" + exe + L"\"");
    HWND window = nullptr;
    wait_for([&] { return (window = FindWindowW(L"TarvikMainWindow", nullptr)) != nullptr && IsWindowVisible(window); });
    // The event loop answers once the start-up handler is done; the hotkeys and the icon come next.
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer);
    auto running = Clock::now();
    bool ready = wait_for([&] { return icon_present(window); });
    auto in_place = Clock::now();
    PostMessageW(window, WM_CLOSE, 0, 0);
    WaitForSingleObject(tarvik.hProcess, 10000);
    CloseHandle(tarvik.hThread);
    CloseHandle(tarvik.hProcess);
    return ready ? std::chrono::duration<double, std::milli>(in_place - running).count() : -1;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 5) return 2;
    int rounds = _wtoi(argv[4]);
    CreateDirectoryW(kFolder, nullptr);
    std::wstring exe = std::wstring(kFolder) + L"\\tarvik.exe";
    CopyFileW(argv[1], exe.c_str(), FALSE);
    char host[256];
    WideCharToMultiByte(CP_UTF8, 0, argv[3], -1, host, sizeof host, nullptr, nullptr);
    write(std::wstring(kFolder) + L"\\tarvik.ini", std::string("[classic]\r\ntranslate_host=") + host + "\r\n");
    write(std::wstring(kFolder) + L"\\selected.txt", "Hello world");

    PROCESS_INFORMATION tarvik = start(L"\"" + exe + L"\"");
    HWND window = nullptr;
    wait_for([&] { return (window = FindWindowW(L"TarvikMainWindow", nullptr)) != nullptr && IsWindowVisible(window); });
    // Its hotkeys are in place once nobody else can take them.
    wait_for([] {
        if (!RegisterHotKey(nullptr, 99, MOD_CONTROL | MOD_ALT, 'E')) return true;
        UnregisterHotKey(nullptr, 99);
        return false;
    });
    PROCESS_INFORMATION source =
        start(L"\"" + std::wstring(argv[2]) + L"\" \"" + std::wstring(kFolder) + L"\\selected.txt\"");
    HWND other = nullptr;
    wait_for([&] { return (other = FindWindowW(L"TarvikSelectionSource", L"selection source ready")) != nullptr; });
    WaitForInputIdle(source.hProcess, 10000);
    HWND result_box = nth_edit(window, 1), source_box = nth_edit(window, 2);

    std::vector<double> selection, clipboard, after_start;
    put_clipboard_text(L"Hello clipboard");
    for (int round = 0; round < rounds; ++round) {
        selection.push_back(time_one(other, source_box, result_box, 'E', L"Hello world"));
        clipboard.push_back(time_one(other, source_box, result_box, 'C', L"Hello clipboard"));
    }
    PostMessageW(other, WM_CLOSE, 0, 0);
    PostMessageW(window, WM_CLOSE, 0, 0);
    WaitForSingleObject(source.hProcess, 10000);
    WaitForSingleObject(tarvik.hProcess, 10000);
    for (int round = 0; round < rounds; ++round) after_start.push_back(time_to_hotkeys_and_icon(exe));
    DeleteFileW(exe.c_str());
    DeleteFileW((std::wstring(kFolder) + L"\\tarvik.ini").c_str());
    DeleteFileW((std::wstring(kFolder) + L"\\selected.txt").c_str());
    RemoveDirectoryW(kFolder);
    if (std::find(selection.begin(), selection.end(), -1) != selection.end() ||
        std::find(clipboard.begin(), clipboard.end(), -1) != clipboard.end() ||
        std::find(after_start.begin(), after_start.end(), -1) != after_start.end()) {
        return 3;
    }
    std::printf("%.1f\n%.1f\n%.1f\n", median(selection), median(clipboard), median(after_start));
    return 0;
}
