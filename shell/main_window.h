// The program's one window.
#pragma once

namespace shell {

// Registers the class, creates the window with its controls, shows it and runs the start-up handler.
void* create_main_window(int show_command);
// Translates and dispatches one message the way the event loop does (tab keys move the focus).
void dispatch_message(void* main_window, const void* message);
// Runs the event loop until the window has been closed; returns the exit code.
int run_event_loop(void* main_window);

}  // namespace shell
