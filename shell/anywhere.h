// Translation from anywhere: the system-wide hotkeys, what their press takes from the program in
// front, and the icon in the notification area. All on the main window's thread but the capture,
// which runs on a thread of its own and hands its text over to the window.
#pragma once

#include <cstdint>

#include "engines/settings.h"

namespace shell {

using runtime::Text;

// The main window's own messages for this part of the program.
constexpr unsigned kAfterStartMessage = 0x8000 + 0x61;  // WM_APP: once the window is up and running
constexpr unsigned kTrayMessage = 0x8000 + 0x62;        // the icon's mouse messages
constexpr unsigned kCapturedMessage = 0x8000 + 0x63;    // the capture's text, from its thread

enum HotkeyId : int { kSelectionHotkeyId = 1, kClipboardHotkeyId = 2 };
// The tray menu's commands.
enum TrayCommand : int { kShowWindowCommand = 1, kTranslateClipboardCommand, kTraySettingsCommand, kExitCommand };

extern const char kTrayTip[];
extern const char kTrayMenuTexts[4][16];

// Registers the hotkeys the settings name (none twice: registering again replaces them). What
// could not be registered, and why, is said in one line; empty when all went well.
Text register_hotkeys(void* window, const engines::Settings& settings);
// After start-up: the hotkeys, and the tray icon. A hotkey another program holds is said once,
// in the empty result box.
void start_from_anywhere(void* window);
// At the window's end: the hotkeys and the tray icon go.
void stop_from_anywhere(void* window);
// Explorer's message that it has made the taskbar again (after a restart): the icon is added anew.
bool is_taskbar_created(unsigned message);
// WM_HOTKEY. Like a second press of 翻译, a press while a translation or a capture runs does nothing.
void hotkey_pressed(int id);
void translate_clipboard_command();
// The captured text into 要翻译的, the window up, the translation started; or the problem said.
void take_captured(void* window, const void* captured);

bool add_tray_icon(void* window);
void remove_tray_icon(void* window);
void tray_icon_message(void* window, std::intptr_t mouse_message);
// Minimizing hides the window when the icon is there to bring it back, unless the file says not to.
void minimized(void* window);
// Shown, restored with its place kept, and in front.
void bring_up_window(void* window);

}  // namespace shell
