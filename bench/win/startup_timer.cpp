// startup_timer.exe PROGRAM RUNS: starts PROGRAM RUNS times, measures each time from the start
// of the process to its first visible top-level window, closes it, and prints the median in ms.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

struct Search {
    DWORD process;
    HWND found;
};

BOOL CALLBACK find_visible(HWND window, LPARAM raw) {
    auto* search = reinterpret_cast<Search*>(raw);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->process && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    int runs = std::atoi(argv[2]);
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        char command[1024];
        std::snprintf(command, sizeof command, "\"%s\"", argv[1]);
        auto started = std::chrono::steady_clock::now();
        if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return 3;
        Search search{process.dwProcessId, nullptr};
        while (!search.found) {
            EnumWindows(find_visible, reinterpret_cast<LPARAM>(&search));
            if (!search.found) Sleep(1);
            if (std::chrono::steady_clock::now() - started > std::chrono::seconds(30)) return 4;
        }
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count());
        PostMessageA(search.found, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    std::sort(times.begin(), times.end());
    std::printf("%.1f\n", times[times.size() / 2]);
    return 0;
}
