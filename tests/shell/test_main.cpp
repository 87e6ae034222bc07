// The shell tests' own entry: "shell_tests.exe --program" runs the program itself against the
// stand-in service, for the tests that need it as a process of its own; otherwise the tests run.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "shell/main_window.h"
#include "speech/speech_output.h"
#include "speech/web_page.h"
#include "tests/standin.h"
#include "translate/worker.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--program") == 0) {
        engines::use_settings(standin::settings());
        void* window = shell::create_main_window(SW_SHOW);
        ExitProcess(window ? static_cast<UINT>(shell::run_event_loop(window)) : 1);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
