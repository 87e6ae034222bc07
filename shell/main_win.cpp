#include <windows.h>

#include "shell/main_window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show_command) {
    void* window = shell::create_main_window(show_command);
    if (!window) return 1;
    // Workers still running (a download, a playback pause, the trimmer) end with the process here,
    // before anything they might touch is torn down.
    ExitProcess(static_cast<UINT>(shell::run_event_loop(window)));
}
