// The text a hotkey translates, taken from another program: its selection, or the clipboard. The
// decisions are here; what Windows does for them is behind CaptureSystem.
#pragma once

#include <optional>

#include "runtime/text.h"

namespace shell {

using runtime::Text;

struct ClipboardText {
    enum State { text, no_text, busy } state = no_text;
    Text value;
};

class CaptureSystem {
public:
    virtual ~CaptureSystem() = default;
    // The focused element's selected text through UI Automation, when it offers one and it is not empty.
    virtual std::optional<Text> automation_selection() = 0;
    // Whether the foreground window's program runs with higher rights than ours: Windows drops the
    // keys we would send it.
    virtual bool foreground_above_us() = 0;
    // Until the user has let go of Ctrl, Alt, Shift and Win, or about a second has passed: with them
    // still held, the copy keys would arrive as another combination.
    virtual void wait_for_modifiers_released() = 0;
    virtual unsigned clipboard_sequence() = 0;
    // Every format the clipboard holds, kept to be put back; false when another program has it open.
    virtual bool save_clipboard() = 0;
    // Puts back what save_clipboard kept, every format; false when another program has it open.
    virtual bool restore_clipboard() = 0;
    // Ctrl+C to the window in the foreground.
    virtual void send_copy() = 0;
    virtual ClipboardText clipboard_text() = 0;
    virtual void pause(int milliseconds) = 0;
};

struct Captured {
    Text text;     // to translate; empty when there is nothing to translate
    Text problem;  // said to the user in one line instead
};

Captured capture_selection(CaptureSystem& system);
Captured capture_clipboard(CaptureSystem& system);

extern const char kForegroundElevated[];
extern const char kClipboardBusy[];
// How long the copy may take to reach the clipboard, and how often it is looked at meanwhile.
constexpr int kCopyWaitMs = 1000;
constexpr int kCopyPollMs = 5;
// How long a clipboard that another program holds open is tried again.
constexpr int kBusyRetryMs = 20;
constexpr int kBusyTries = 25;

}  // namespace shell
