// Stands in for the browser in tests: appends the command line it was started with, in UTF-8, and
// a newline, to C:\tarvik_browser_calls.txt.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const wchar_t* command = GetCommandLineW();
    int length = static_cast<int>(std::wcslen(command));
    std::string utf8(static_cast<size_t>(length) * 4 + 1, '\0');
    int size =
        WideCharToMultiByte(CP_UTF8, 0, command, length, &utf8[0], static_cast<int>(utf8.size()), nullptr, nullptr);
    utf8.resize(size > 0 ? static_cast<size_t>(size) : 0);
    FILE* out = std::fopen("C:\\tarvik_browser_calls.txt", "ab");
    if (!out) return 1;
    std::fprintf(out, "%s\n", utf8.c_str());
    std::fclose(out);
    return 0;
}
