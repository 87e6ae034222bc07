// Start-up and shutdown of the real program, run as its own process from a temporary folder.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/win_test_support.h"

using test_support::build_file;
using test_support::TempFolder;

namespace {

const char kEngine[] = "C:\\WINDOWS\\system32\\jedata.dll";

// The program copied into a folder of its own, started, and closed by its close box.
class Program {
public:
    explicit Program(const TempFolder& folder) {
        exe_ = folder.file("tarvik.exe");
        CopyFileA(build_file("tarvik.exe").c_str(), exe_.c_str(), FALSE);
    }
    bool start() {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string command = "\"" + exe_ + "\"";
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process_)) {
            return false;
        }
        // Started means ready for the user: the window is shown and its thread answers messages, which
        // it does first in the event loop, after the start-up handler.
        DWORD_PTR answer = 0;
        return test_support::wait_until([&] { return (window_ = test_support::visible_main_window_of(process_.dwProcessId)) != nullptr; },
                                        30000) &&
               SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer) != 0;
    }
    DWORD close() {
        PostMessageA(window_, WM_CLOSE, 0, 0);
        WaitForSingleObject(process_.hProcess, 30000);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_.hProcess, &code);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
        return code;
    }

private:
    std::string exe_;
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

}  // namespace

TEST(StartUp, PlacesTheEngineRemovesStaleFilesAndShutdownCleansUp) {
    TempFolder folder;
    DeleteFileA(kEngine);
    std::string source_speech = folder.file("zaz原文发音文件.mp3"), result_speech = folder.file("zaz结果发音文件.mp3");
    runtime::write_file(source_speech, runtime::to_bytes("stale"));
    runtime::write_file(result_speech, runtime::to_bytes("stale"));

    Program program(folder);
    ASSERT_TRUE(program.start());
    EXPECT_EQ(test_support::read_file(kEngine), test_support::read_file(build_file("skin-engine/jedata.dll")));
    EXPECT_FALSE(test_support::file_present(folder.file("tawny.skn")));
    EXPECT_FALSE(test_support::file_present(source_speech));
    EXPECT_FALSE(test_support::file_present(result_speech));

    // Speech files made while the program runs go with it.
    runtime::write_file(source_speech, runtime::to_bytes("made"));
    runtime::write_file(result_speech, runtime::to_bytes("made"));
    EXPECT_EQ(program.close(), 0u);
    EXPECT_FALSE(test_support::file_present(source_speech));
    EXPECT_FALSE(test_support::file_present(result_speech));
    EXPECT_TRUE(test_support::file_present(kEngine));  // never removed
}

TEST(StartUp, AnExistingEngineIsLeftAloneAndAnUnloadableOneDoesNotStopTheProgram) {
    TempFolder folder;
    const std::string not_a_library = "this is not a library";
    ASSERT_TRUE(runtime::write_file(kEngine, runtime::to_bytes(not_a_library)));
    Program program(folder);
    ASSERT_TRUE(program.start());
    EXPECT_EQ(test_support::read_file(kEngine), not_a_library);
    EXPECT_FALSE(test_support::file_present(folder.file("tawny.skn")));
    EXPECT_EQ(program.close(), 0u);
    DeleteFileA(kEngine);  // later runs place the real one again
}
