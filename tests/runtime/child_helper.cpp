// A small child process for the process-service tests: "child_helper.exe MARKER SLEEP_MS" sleeps,
// then writes the window state it was started with into MARKER.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    Sleep(static_cast<DWORD>(std::atoi(argv[2])));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    FILE* marker = std::fopen(argv[1], "wb");
    if (!marker) return 3;
    std::fprintf(marker, "%d", (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1);
    std::fclose(marker);
    return 0;
}
