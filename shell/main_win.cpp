#include <windows.h>

#include "shell/main_window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show_command) {
    void* window = shell::create_main_window(show_command);
    if (!window) return 1;
    return shell::run_event_loop(window);
}
