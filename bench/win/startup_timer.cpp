// startup_timer.exe RUNS PROGRAM...: starts each PROGRAM in turn, RUNS rounds, measures each start
// from the creation of the process to its first visible top-level window, closes it, and prints
// one median in ms per program, one per line. Taking turns keeps a slow spell of the machine from
// landing on one program only.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

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

// Milliseconds to the first visible window, or a negative number when the program failed.
double time_one_start(const char* program) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    char command[1024];
    std::snprintf(command, sizeof command, "\"%s\"", program);
    auto started = std::chrono::steady_clock::now();
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return -1;
    Search search{process.dwProcessId, nullptr};
    double elapsed = -1;
    while (!search.found) {
        EnumWindows(find_visible, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
        } else if (std::chrono::steady_clock::now() - started > std::chrono::seconds(30)) {
            break;
        } else {
            Sleep(1);
        }
    }
    if (search.found) PostMessageA(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    int runs = std::atoi(argv[1]);
    int programs = argc - 2;
    std::vector<std::vector<double>> times(programs);
    for (int run = 0; run < runs; ++run) {
        for (int program = 0; program < programs; ++program) {
            double elapsed = time_one_start(argv[2 + program]);
            if (elapsed < 0) return 3;
            times[program].push_back(elapsed);
        }
    }
    for (auto& program_times : times) {
        std::sort(program_times.begin(), program_times.end());
        std::printf("%.1f\n", program_times[program_times.size() / 2]);
    }
    return 0;
}
