// The main window, created once for all tests of the process, and ways to drive it.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "shell/controls.h"
#include "shell/main_window.h"
#include "shell/settings_dialog.h"
#include "speech/tasks.h"
#include "tests/standin.h"
#include "tests/win_test_support.h"
#include "translate/languages.h"
#include "translate/worker.h"

namespace shell_test {

using shell::Control;

// Made once, at the first use; the focus is read as start-up left it, before any test moves it.
struct StartedWindow {
    HWND window = static_cast<HWND>(shell::create_main_window(SW_SHOW));
    HWND focus = GetFocus();
};

inline const StartedWindow& started_window() {
    static StartedWindow started;
    return started;
}

inline HWND main_window() { return started_window().window; }
inline HWND focus_after_startup() { return started_window().focus; }

inline HWND window_of(Control control) {
    main_window();
    return static_cast<HWND>(shell::native_window(control));
}

inline RECT rect_in_parent(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

inline std::string caption_of(HWND window) { return test_support::text_of(window); }

inline void click(Control button) { SendMessageW(window_of(button), BM_CLICK, 0, 0); }

// Holds or releases keys in this thread's keyboard state, as the handlers read it.
inline void hold_keys(std::initializer_list<int> keys) {
    BYTE state[256] = {};
    for (int key : keys) state[key] = 0x80;
    SetKeyboardState(state);
}

// Presses a key in a control the way Windows delivers it: a system key when Alt is held.
inline void press_key(Control control, int key, bool alt) {
    MSG message{};
    message.hwnd = window_of(control);
    message.message = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    message.wParam = static_cast<WPARAM>(key);
    message.lParam = alt ? (1 << 29) | 1 : 1;
    shell::dispatch_message(main_window(), &message);
}

inline bool all_idle() {
    return tasks::translationBusy == 0 && tasks::resultSpeechBusy == 0 && tasks::sourceSpeechBusy == 0;
}

// A top-level dialog of this process with that title: the settings dialog has the engine list,
// its message boxes do not.
inline bool translated() { return tasks::translationBusy == 0; }

// The result of translating source as a click on 翻译 does it.
inline std::string translated_text(const std::string& source) {
    shell::set_content(Control::要翻译的, source);
    shell::set_content(Control::已翻译结果, "");
    click(Control::翻译按钮);
    EXPECT_TRUE(test_support::wait_until(translated, 60000));
    return shell::content(Control::已翻译结果);
}

inline HWND find_dialog(bool settings_dialog) {
    for (HWND window = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); window;
         window = FindWindowExW(nullptr, window, L"#32770", nullptr)) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process != GetCurrentProcessId() || !IsWindowVisible(window)) continue;
        if ((GetDlgItem(window, shell::kTranslationEngineField) != nullptr) == settings_dialog) return window;
    }
    return nullptr;
}

inline HWND wait_for_dialog(bool settings_dialog) {
    HWND found = nullptr;
    for (int i = 0; i < 2000 && !(found = find_dialog(settings_dialog)); ++i) Sleep(5);
    return found;
}

// Opens the settings dialog from the system menu; the driver works it from another thread, as the
// dialog's own loop holds this one until it closes.
inline void open_settings_dialog(const std::function<void(HWND)>& driver) {
    std::atomic<bool> driven{false};
    std::thread user([&] {
        HWND dialog = wait_for_dialog(true);
        if (dialog) driver(dialog);
        driven = true;
    });
    SendMessageW(main_window(), WM_SYSCOMMAND, shell::kSettingsCommand, 0);
    user.join();
    ASSERT_TRUE(driven);
    EXPECT_EQ(find_dialog(true), nullptr) << "the dialog is closed";
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(main_window(), nullptr);
        ASSERT_TRUE(test_support::wait_until(all_idle, 30000)) << "work of an earlier test still runs";
        standin::reset();
        standin::use_classic_hosts();
        hold_keys({});
        shell::set_content(Control::要翻译的, "");
        shell::set_content(Control::已翻译结果, "");
        shell::set_selection(Control::源语言组合框, 2);
        shell::set_selection(Control::目标语言组合框, 0);
        shell::set_selection(Control::源语言组合框1, translate::kAutoDetectIndex);
        shell::set_ticked(Control::选择框1, true);
    }
    void TearDown() override { hold_keys({}); }
};

}  // namespace shell_test
