#include <atomic>
#include <thread>

#include "shell/startup.h"
#include "shell/window_description.h"
#include "speech/media_player.h"
#include "tests/shell/shell_fixture.h"

using namespace shell_test;
using shell::Kind;

class Window : public WindowTest {};

TEST_F(Window, CaptionSizeFrameAndCentring) {
    HWND window = main_window();
    EXPECT_EQ(caption_of(window), "Tarvik在线翻译zaz-Oskel科技");
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, 756);
    EXPECT_EQ(rect.bottom - rect.top, 445);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 756) / 2);
    EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 445) / 2);
    LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(Window, EveryControlAtItsPlaceWithItsCaptionAndTabStop) {
    ASSERT_EQ(shell::control_descriptions().size(), static_cast<size_t>(shell::kControlCount));
    for (const shell::ControlDescription& description : shell::control_descriptions()) {
        HWND control = window_of(description.control);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(&shell::description_of(description.control), &description);
        RECT rect = rect_in_parent(control);
        SCOPED_TRACE(description.caption);
        EXPECT_EQ(rect.left, description.left);
        EXPECT_EQ(rect.top, description.top);
        EXPECT_EQ(rect.right - rect.left, description.width);
        EXPECT_EQ(rect.bottom - rect.top, description.height);
        LONG style = GetWindowLongW(control, GWL_STYLE);
        bool tab_stop = description.kind != Kind::label && description.kind != Kind::media_player;
        EXPECT_EQ((style & WS_TABSTOP) != 0, tab_stop);
        EXPECT_EQ(IsWindowVisible(control) != 0, description.kind != Kind::media_player);
        if (description.kind == Kind::label || description.kind == Kind::button || description.kind == Kind::check_box) {
            EXPECT_EQ(caption_of(control), description.caption);
        }
        if (description.kind == Kind::label) {
            EXPECT_TRUE(GetWindowLongW(control, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
        }
        if (description.kind == Kind::multiline_edit) {
            EXPECT_TRUE(style & ES_MULTILINE);
            EXPECT_TRUE(style & WS_VSCROLL);
            EXPECT_FALSE(style & ES_AUTOHSCROLL);  // lines wrap
            EXPECT_GE(static_cast<unsigned>(SendMessageW(control, EM_GETLIMITTEXT, 0, 0)), 0x7FFFFFFEu);
        }
        if (description.kind == Kind::drop_down_list) {
            RECT open;
            SendMessageW(control, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&open));
            EXPECT_GE(open.bottom - open.top - description.height, 160);
        }
    }
    EXPECT_EQ(caption_of(window_of(Control::翻译按钮)), "   翻译     ( Alt+S )");
}

TEST_F(Window, InitialListsAndTick) {
    EXPECT_EQ(SendMessageW(window_of(Control::源语言组合框), CB_GETCOUNT, 0, 0), 37);
    EXPECT_EQ(SendMessageW(window_of(Control::目标语言组合框), CB_GETCOUNT, 0, 0), 37);
    EXPECT_EQ(SendMessageW(window_of(Control::源语言组合框1), CB_GETCOUNT, 0, 0), 38);
    EXPECT_EQ(shell::selection(Control::源语言组合框1), 37);
    EXPECT_EQ(shell::content(Control::源语言组合框1), "自动检测");
    EXPECT_EQ(shell::content(Control::源语言组合框), "英语");
    EXPECT_EQ(shell::content(Control::目标语言组合框), "中文(简体)");
    EXPECT_TRUE(shell::ticked(Control::选择框1));
    shell::set_selection(Control::目标语言组合框, 1);
    EXPECT_EQ(shell::content(Control::目标语言组合框), "中文(繁体)");
    EXPECT_EQ(shell::content(Control::要翻译的), "");
    EXPECT_EQ(speech::media_alias().size(), 32u);
    EXPECT_EQ(speech::media_alias().find_first_not_of("0123456789abcdef"), std::string::npos);
}

TEST_F(Window, StartUpFocusedTheSourceBoxAndRemovedTheSkinFile) {
    EXPECT_EQ(focus_after_startup(), window_of(Control::要翻译的));
    EXPECT_EQ(shell::skinFilePath, runtime::program_directory() + "/tawny.skn");
    EXPECT_FALSE(runtime::file_exists(runtime::program_directory() + "\\tawny.skn"));
    EXPECT_EQ(tasks::trimmerFlag.load(), 1);
}

TEST_F(Window, SelectionWritesClamp) {
    shell::set_selection(Control::源语言组合框, 99);
    EXPECT_EQ(shell::selection(Control::源语言组合框), 36);
    shell::set_selection(Control::源语言组合框, -1);
    EXPECT_EQ(shell::selection(Control::源语言组合框), -1);
    EXPECT_EQ(shell::content(Control::源语言组合框), "");
    shell::set_selection(Control::源语言组合框, 3);
    shell::set_selection(Control::源语言组合框, -7);
    EXPECT_EQ(shell::selection(Control::源语言组合框), -1);
}

TEST_F(Window, PropertiesReadAndWrittenFromAnotherThread) {
    std::atomic<bool> done{false};
    std::string read_back, list_item;
    std::vector<std::string> together;
    bool tick = true;
    std::thread worker([&] {
        shell::set_content(Control::已翻译结果, "第一行\r\nsecond");
        read_back = shell::content(Control::已翻译结果);  // the write has landed when it returns
        shell::set_selection(Control::目标语言组合框, 19);
        list_item = shell::content(Control::目标语言组合框);
        shell::set_ticked(Control::选择框1, false);
        tick = shell::ticked(Control::选择框1);
        together = shell::contents({Control::目标语言组合框, Control::已翻译结果, Control::源语言组合框});
        done = true;
    });
    bool finished = test_support::wait_until([&] { return done.load(); });
    worker.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(read_back, "第一行\r\nsecond");
    EXPECT_EQ(list_item, "法语");
    EXPECT_FALSE(tick);
    std::vector<std::string> expected{"法语", "第一行\r\nsecond", "英语"};
    EXPECT_EQ(together, expected);
    // On the window's own thread the same read answers directly.
    EXPECT_EQ(shell::contents({Control::目标语言组合框, Control::已翻译结果, Control::源语言组合框}), expected);
}

TEST_F(Window, PickingALanguageUnticksProgramWritesDoNot) {
    shell::set_selection(Control::源语言组合框, 5);
    shell::set_selection(Control::目标语言组合框, 6);
    runtime::process_events();  // a selection event, had there been one, has been handled now
    EXPECT_TRUE(shell::ticked(Control::选择框1));

    // The user picks the next item with the keyboard: the list reports the change itself.
    SendMessageW(window_of(Control::源语言组合框), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(shell::selection(Control::源语言组合框), 6);
    EXPECT_FALSE(shell::ticked(Control::选择框1));

    shell::set_ticked(Control::选择框1, true);
    SendMessageW(window_of(Control::目标语言组合框), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_FALSE(shell::ticked(Control::选择框1));

    shell::set_ticked(Control::选择框1, true);
    SendMessageW(window_of(Control::源语言组合框1), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(shell::selection(Control::源语言组合框1), 36);
    EXPECT_TRUE(shell::ticked(Control::选择框1));  // the web-page list has no handler
}

TEST_F(Window, SwapExchangesTheLanguagesAndUnticks) {
    click(Control::互换按钮);
    EXPECT_EQ(shell::content(Control::源语言组合框), "中文(简体)");
    EXPECT_EQ(shell::content(Control::目标语言组合框), "英语");
    EXPECT_FALSE(shell::ticked(Control::选择框1));

    shell::set_selection(Control::源语言组合框, 4);
    shell::set_selection(Control::目标语言组合框, 4);
    shell::set_ticked(Control::选择框1, true);
    click(Control::互换按钮);
    EXPECT_EQ(shell::selection(Control::源语言组合框), 4);
    EXPECT_EQ(shell::selection(Control::目标语言组合框), 4);
    EXPECT_FALSE(shell::ticked(Control::选择框1));
}
