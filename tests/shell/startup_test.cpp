// Start-up and shutdown of the real program, run as its own process from a temporary folder.
#include <gtest/gtest.h>
#include <windows.h>

#include "runtime/utf.h"
#include "shell/anywhere.h"
#include "tests/standin.h"
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
        CopyFileW(runtime::wide(build_file("tarvik.exe")).c_str(), runtime::wide(exe_).c_str(), FALSE);
    }
    bool start() {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring command = runtime::wide("\"" + exe_ + "\"");
        if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process_)) {
            return false;
        }
        // Started means ready for the user: the window is shown and its thread answers messages, which
        // it does first in the event loop, after the start-up handler.
        DWORD_PTR answer = 0;
        return test_support::wait_until(
                   [&] { return (window_ = test_support::visible_main_window_of(process_.dwProcessId)) != nullptr; },
                   30000) &&
               SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer) != 0;
    }
    HWND window() const { return window_; }
    DWORD process_id() const { return process_.dwProcessId; }
    DWORD close() {
        PostMessageW(window_, WM_CLOSE, 0, 0);
        return ended();
    }
    DWORD ended() {
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
    DeleteFileW(runtime::wide(kEngine).c_str());
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
    DeleteFileW(runtime::wide(kEngine).c_str());  // later runs place the real one again
}

namespace {

// The controls of the program in another process, by class and caption or by order.
HWND child(HWND window, const wchar_t* class_name, const std::string& caption) {
    return FindWindowExW(window, nullptr, class_name, runtime::wide(caption).c_str());
}

HWND nth_child(HWND window, const wchar_t* class_name, int n) {
    HWND found = nullptr;
    for (int i = 0; i <= n; ++i) found = FindWindowExW(window, found, class_name, nullptr);
    return found;
}

COLORREF pixel_of(HWND window, int x, int y) {
    POINT point{x, y};
    ClientToScreen(window, &point);
    HDC screen = GetDC(nullptr);
    COLORREF colour = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

}  // namespace

// A folder whose name no ANSI code page holds: the skin, the settings file, both speech files.
TEST(StartUp, TheProgramWorksFromAFolderNamedInKorean) {
    TempFolder folder("_번역기_폴더");
    ASSERT_NE(folder.path().find("번역기"), std::string::npos);
    standin::reset();
    ASSERT_TRUE(runtime::write_file(folder.file("tarvik.ini"),
                                    runtime::to_bytes("[classic]\r\ntranslate_host=" + standin::host() +
                                                      "\r\nspeech_host=" + standin::host() + "\r\n")));
    std::string source_speech = folder.file("zaz原文发音文件.mp3"), result_speech = folder.file("zaz结果发音文件.mp3");
    runtime::write_file(source_speech, runtime::to_bytes("stale"));
    Program program(folder);
    ASSERT_TRUE(program.start());
    EXPECT_FALSE(test_support::file_present(folder.file("tawny.skn")));
    EXPECT_FALSE(test_support::file_present(source_speech));
    HWND window = program.window();
    // The skin's window colour (tawny1.skn: D6B07A) shows: the engine found the skin file there.
    EXPECT_TRUE(test_support::wait_until([&] { return pixel_of(window, 3, 3) == RGB(0xD6, 0xB0, 0x7A); }, 5000))
        << std::hex << pixel_of(window, 3, 3);

    // tarvik.ini is read from there: the translation goes to the stand-in.
    HWND result_box = nth_child(window, L"Edit", 1), source_box = nth_child(window, L"Edit", 2);
    SendMessageW(source_box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Hello"));
    PostMessageW(child(window, L"Button", "   翻译     ( Alt+S )"), BM_CLICK, 0, 0);
    ASSERT_TRUE(test_support::wait_until([&] { return test_support::text_of(result_box).rfind("Hello", 0) == 0; }));
    EXPECT_EQ(test_support::text_of(result_box), "Hello\r\n\r\n感叹词: 1.hello  2.hi  3.how do you do  ");
    // The speech file is written and played there.
    PostMessageW(child(window, L"Button", "朗读结果"), BM_CLICK, 0, 0);
    ASSERT_TRUE(test_support::wait_until([&] { return standin::count("/translate_tts") == 1; }));
    EXPECT_TRUE(test_support::wait_until([&] { return test_support::read_file(result_speech).size() > 1000; }));
    EXPECT_EQ(program.close(), 0u);
    EXPECT_FALSE(test_support::file_present(result_speech));
}

namespace {

// A menu the program shows (the class of every popup menu).
HWND menu_of(DWORD process) { return test_support::visible_window_of(process, L"#32768"); }

}  // namespace

// A second copy finds its hotkeys held by the first and says so in its result box; the first one's
// tray menu ends it as its close box does, speech files and all.
TEST(StartUp, ASecondCopySaysItsHotkeysAreTakenAndTheTrayMenuEndsTheProgram) {
    TempFolder first_folder, second_folder;
    Program first(first_folder), second(second_folder);
    ASSERT_TRUE(first.start());
    ASSERT_TRUE(second.start());
    HWND result_box = nth_child(second.window(), L"Edit", 1);
    ASSERT_TRUE(test_support::wait_until([&] { return !test_support::text_of(result_box).empty(); }));
    std::string notice = test_support::text_of(result_box);
    EXPECT_NE(notice.find("Ctrl+Alt+E"), std::string::npos) << notice;
    EXPECT_NE(notice.find("Ctrl+Alt+C"), std::string::npos) << notice;
    EXPECT_NE(notice.find("已被其他程序占用"), std::string::npos) << notice;
    EXPECT_EQ(second.close(), 0u);
    EXPECT_EQ(test_support::text_of(nth_child(first.window(), L"Edit", 1)), "") << "the first copy has its keys";

    std::string result_speech = first_folder.file("zaz结果发音文件.mp3");
    runtime::write_file(result_speech, runtime::to_bytes("made"));
    PostMessageW(first.window(), shell::kTrayMessage, 1, WM_RBUTTONUP);
    HWND menu = nullptr;
    ASSERT_TRUE(test_support::wait_until([&] { return (menu = menu_of(first.process_id())) != nullptr; }));
    PostMessageW(menu, WM_KEYDOWN, VK_UP, 0);  // from no item, up is the last: 退出
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(first.ended(), 0u);
    EXPECT_FALSE(test_support::file_present(result_speech));
}
