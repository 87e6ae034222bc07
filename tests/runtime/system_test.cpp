#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>

#include "runtime/system.h"
#include "tests/win_test_support.h"

using namespace runtime;
using test_support::TempFolder;

TEST(ProgramDirectory, HasNoTrailingBackslashAndHoldsTheExecutable) {
    Text dir = program_directory();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), '\\');
    EXPECT_TRUE(file_exists(dir + "\\system_tests.exe"));
}

TEST(Files, RemoveAndExistsWithWildcardsAndDirectories) {
    TempFolder folder;
    Text path = folder.file("zaz原文发音文件.mp3");
    EXPECT_FALSE(file_exists(path));
    ASSERT_TRUE(write_file(path, to_bytes("abc")));
    EXPECT_TRUE(file_exists(path));
    EXPECT_TRUE(file_exists(folder.file("*.mp3")));
    EXPECT_FALSE(file_exists(folder.file("*.wav")));
    EXPECT_TRUE(file_exists(folder.path()));
    EXPECT_TRUE(remove_file(path));
    EXPECT_FALSE(file_exists(path));
    EXPECT_FALSE(remove_file(path));
}

TEST(Files, WriteFileCreatesTruncatesAndJoinsBuffers) {
    TempFolder folder;
    Text path = folder.file("out.bin");
    ASSERT_TRUE(write_file(path, to_bytes("a much longer first content")));
    ASSERT_TRUE(write_file(path, {to_bytes("ab"), Bytes{}, Bytes{0, 'c'}}));
    EXPECT_EQ(test_support::read_file(path), std::string("ab\0c", 4));
    ASSERT_TRUE(write_file(path, std::vector<Bytes>{}));
    EXPECT_EQ(test_support::read_file(path), "");
}

TEST(Files, WriteFileFailsWithoutTouchingAnythingOrWhenTheFileIsHeld) {
    TempFolder folder;
    EXPECT_FALSE(write_file("", to_bytes("x")));
    Text path = folder.file("held.bin");
    ASSERT_TRUE(write_file(path, to_bytes("old")));
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(write_file(path, to_bytes("new")));
    CloseHandle(held);
    EXPECT_EQ(test_support::read_file(path), "old");
    EXPECT_FALSE(write_file(folder.file("missing\\dir.bin"), to_bytes("x")));
}

namespace {

Text helper_command(const Text& marker, int sleep) {
    return "\"" + program_directory() + "\\child_helper.exe\" \"" + marker + "\" " + std::to_string(sleep);
}

}  // namespace

TEST(RunCommandLine, WaitsOnlyWhenAskedAndPassesTheWindowMode) {
    TempFolder folder;
    Text marker = folder.file("waited.txt");
    ASSERT_TRUE(run_command_line(helper_command(marker, 200), true));
    EXPECT_EQ(test_support::read_file(marker), std::to_string(SW_SHOWNORMAL));

    Text later = folder.file("later.txt");
    ASSERT_TRUE(run_command_line(helper_command(later, 1500), false));
    EXPECT_FALSE(test_support::file_present(later));
    EXPECT_TRUE(test_support::wait_until([&] { return test_support::read_file(later).size() > 0; }, 15000));

    struct Mode { int given; int shown; };
    for (Mode mode : {Mode{1, SW_HIDE}, Mode{0, SW_HIDE}, Mode{3, SW_SHOWMINIMIZED}, Mode{5, SW_SHOWNOACTIVATE},
                      Mode{6, SW_MINIMIZE}, Mode{42, SW_MINIMIZE}}) {
        Text path = folder.file("mode" + std::to_string(mode.given) + ".txt");
        ASSERT_TRUE(run_command_line(helper_command(path, 0), true, mode.given));
        EXPECT_EQ(test_support::read_file(path), std::to_string(mode.shown)) << "mode " << mode.given;
    }
    EXPECT_FALSE(run_command_line("\"" + folder.file("no_such_program.exe") + "\"", true));
}

namespace {

int dispatched = 0;

LRESULT CALLBACK counting_proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_USER) ++dispatched;
    return DefWindowProcA(window, message, w, l);
}

}  // namespace

TEST(ProcessEvents, DispatchesPendingMessagesAndLeavesTheQuitMessageQueued) {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = counting_proc;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "tarvik_counting";
    RegisterClassA(&window_class);
    HWND window = CreateWindowA("tarvik_counting", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    dispatched = 0;
    PostMessageA(window, WM_USER, 0, 0);
    PostMessageA(window, WM_USER, 0, 0);
    PostQuitMessage(7);
    process_events();
    EXPECT_EQ(dispatched, 2);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 7u);
    process_events();  // an empty queue returns at once
    DestroyWindow(window);
}

TEST(Sleep, NegativeCountsAsZero) {
    auto before = std::chrono::steady_clock::now();
    sleep_ms(-5);
    sleep_ms(0);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
}
