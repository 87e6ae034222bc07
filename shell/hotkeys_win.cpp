#include <windows.h>

#include <vector>

#include "engines/settings_file.h"
#include "shell/anywhere.h"
#include "shell/capture_system.h"
#include "shell/controls.h"
#include "shell/handlers.h"
#include "shell/hotkey.h"
#include "speech/tasks.h"

namespace shell {

static_assert(kModAlt == MOD_ALT && kModCtrl == MOD_CONTROL && kModShift == MOD_SHIFT && kModWin == MOD_WIN);

namespace {

struct HotkeySetting {
    HotkeyId id;
    Text engines::Settings::*name;
    const char* purpose;
};

const HotkeySetting kHotkeys[] = {{kSelectionHotkeyId, &engines::Settings::selection_hotkey, "翻译选中的文字"},
                                  {kClipboardHotkeyId, &engines::Settings::clipboard_hotkey, "翻译剪贴板"}};

// Known once the window is up; read on the window's thread only.
UINT taskbarCreated = 0;

HWND main_window() { return static_cast<HWND>(parent_window()); }

Text problem_of(const Text& name, const char* purpose, bool readable) {
    return "快捷键 " + name + "（" + purpose + "）" + (readable ? "已被其他程序占用" : "无法识别") + "，没有启用";
}

void capture(bool selection) {
    HWND window = main_window();
    std::unique_ptr<CaptureSystem> system = make_windows_capture_system(window);
    Captured captured = selection ? capture_selection(*system) : capture_clipboard(*system);
    // Synchronous: the translation has started (its flag is up) before this capture's flag is lowered.
    SendMessageW(window, kCapturedMessage, 0, reinterpret_cast<LPARAM>(&captured));
}

void capture_selection_run() { capture(true); }
void capture_clipboard_run() { capture(false); }

void start_capture(void (*routine)()) {
    tasks::start_guarded({&tasks::translationBusy, &tasks::captureBusy}, tasks::captureBusy, routine);
}

}  // namespace

Text register_hotkeys(void* window, const engines::Settings& settings) {
    std::vector<Text> problems;
    for (const HotkeySetting& hotkey : kHotkeys) {
        UnregisterHotKey(static_cast<HWND>(window), hotkey.id);
        const Text& name = settings.*hotkey.name;
        if (name.empty()) continue;
        std::optional<Hotkey> keys = parse_hotkey(name);
        // Held down, a hotkey repeats; one press is one translation.
        if (!keys || !RegisterHotKey(static_cast<HWND>(window), hotkey.id, keys->modifiers | MOD_NOREPEAT, keys->key)) {
            problems.push_back(problem_of(name, hotkey.purpose, keys.has_value()));
        }
    }
    if (problems.empty()) return Text();
    Text line;
    for (const Text& problem : problems) line += problem + "；";
    return line + "可在系统菜单的“服务设置...”中另选快捷键。";
}

void start_from_anywhere(void* window) {
    taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    Text problem = register_hotkeys(window, engines::current_settings());
    if (!problem.empty() && content(Control::已翻译结果).empty()) set_content(Control::已翻译结果, problem);
    add_tray_icon(window);
}

void stop_from_anywhere(void* window) {
    for (const HotkeySetting& hotkey : kHotkeys) UnregisterHotKey(static_cast<HWND>(window), hotkey.id);
    remove_tray_icon(window);
}

bool is_taskbar_created(unsigned message) { return taskbarCreated != 0 && message == taskbarCreated; }

void hotkey_pressed(int id) {
    if (id == kSelectionHotkeyId) start_capture(capture_selection_run);
    if (id == kClipboardHotkeyId) start_capture(capture_clipboard_run);
}

void translate_clipboard_command() { start_capture(capture_clipboard_run); }

void take_captured(void* window, const void* raw) {
    const Captured& captured = *static_cast<const Captured*>(raw);
    // 翻译 pressed while the capture ran has taken the box's text already.
    if (tasks::translationBusy == 1) return;
    if (!captured.problem.empty()) {
        set_content(Control::已翻译结果, captured.problem);
        bring_up_window(window);
        return;
    }
    if (captured.text.empty()) return;
    set_content(Control::要翻译的, captured.text);
    bring_up_window(window);
    translate_command();
}

}  // namespace shell
