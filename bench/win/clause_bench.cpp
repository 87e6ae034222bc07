// clause_bench.exe HOST:PORT CLAUSES [ENGINE]: the program's window translating a text of CLAUSES
// clauses (one per line) against the service at HOST:PORT, through the classic endpoint or the
// engine named. Prints the milliseconds per clause, then the working set in KiB a moment after
// start-up's first trim, then the milliseconds from the click to the result.
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/system.h"
#include "shell/controls.h"
#include "shell/handlers.h"
#include "shell/main_window.h"
#include "speech/tasks.h"
#include "engines/settings_file.h"

namespace {

void pump_for(int milliseconds) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < until) {
        runtime::process_events();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    engines::Settings settings;
    settings.translate_host = argv[1];
    if (argc > 3) settings.translation = {argv[3], std::string("http://") + argv[1], "bench-key", false, engines::Text(), "", ""};
    engines::use_settings(settings);
    int clauses = std::atoi(argv[2]);
    void* window = shell::create_main_window(SW_SHOW);
    pump_for(1000);
    PROCESS_MEMORY_COUNTERS memory{};
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);

    std::string text;
    for (int i = 0; i < clauses; ++i) text += "clause" + std::to_string(i) + "\r\n";
    shell::set_content(shell::Control::要翻译的, text);
    auto started = std::chrono::steady_clock::now();
    shell::translate_command();
    while (tasks::translationBusy != 0) pump_for(1);
    double total = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    std::printf("%.2f\n%zu\n%.0f\n", total / clauses, static_cast<size_t>(memory.WorkingSetSize / 1024), total);
    DestroyWindow(static_cast<HWND>(window));
    ExitProcess(0);
}
