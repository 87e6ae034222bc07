// Stands in for the browser in tests: appends the command line it was started with, and a newline,
// to C:\tarvik_browser_calls.txt.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    FILE* out = std::fopen("C:\\tarvik_browser_calls.txt", "ab");
    if (!out) return 1;
    std::fprintf(out, "%s\n", GetCommandLineA());
    std::fclose(out);
    return 0;
}
