// The shell tests' own entry: "shell_tests.exe --program" runs the program itself against the
// stand-in service, for the tests that need it as a process of its own (and, for pictures, with
// "--target ROW --source TEXT" its target language and source text set); otherwise the tests run.
#include <gtest/gtest.h>
#include <windows.h>
// (needs windows.h first)
#include <shellapi.h>

#include <cstdlib>
#include <cstring>

#include "runtime/utf.h"
#include "shell/controls.h"
#include "shell/main_window.h"
#include "speech/speech_output.h"
#include "speech/web_page.h"
#include "tests/standin.h"
#include "translate/worker.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--program") == 0) {
        engines::use_settings(standin::settings());
        void* window = shell::create_main_window(SW_SHOW);
        int count = 0;
        wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);  // in any script
        for (int i = 2; window && arguments && i + 1 < count; i += 2) {
            std::string name = runtime::narrow(arguments[i]), value = runtime::narrow(arguments[i + 1]);
            if (name == "--target") shell::set_selection(shell::Control::目标语言组合框, std::atoi(value.c_str()));
            if (name == "--source") shell::set_content(shell::Control::要翻译的, value);
        }
        ExitProcess(window ? static_cast<UINT>(shell::run_event_loop(window)) : 1);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
