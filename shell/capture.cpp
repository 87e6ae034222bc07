#include "shell/capture.h"

namespace shell {

const char kForegroundElevated[] =
    "未能取得选中的文字：前台窗口的程序以管理员身份运行，Windows 不让其他程序向它发送按键。以管理员身份运行 Tarvik "
    "即可。";
const char kClipboardBusy[] = "未能读取剪贴板：另一个程序正占用着它。请稍后再试。";

namespace {

template <typename Attempt>
bool retried_while_busy(CaptureSystem& system, Attempt attempt) {
    for (int i = 0; i < kBusyTries; ++i) {
        if (attempt()) return true;
        system.pause(kBusyRetryMs);
    }
    return false;
}

ClipboardText read_clipboard(CaptureSystem& system) {
    ClipboardText read;
    retried_while_busy(system, [&] {
        read = system.clipboard_text();
        return read.state != ClipboardText::busy;
    });
    return read;
}

Captured captured_of(const ClipboardText& read) {
    if (read.state == ClipboardText::busy) return {Text(), kClipboardBusy};
    return {read.state == ClipboardText::text ? read.value : Text(), Text()};
}

bool clipboard_changed_since(CaptureSystem& system, unsigned sequence) {
    for (int waited = 0; waited < kCopyWaitMs; waited += kCopyPollMs) {
        if (system.clipboard_sequence() != sequence) return true;
        system.pause(kCopyPollMs);
    }
    return system.clipboard_sequence() != sequence;
}

}  // namespace

Captured capture_clipboard(CaptureSystem& system) { return captured_of(read_clipboard(system)); }

// The selection through UI Automation leaves the clipboard alone. Without it, the program in front
// copies its selection for us, and the clipboard gets back what it held; a copy that changes
// nothing means nothing was selected, and the clipboard's own text is taken instead.
Captured capture_selection(CaptureSystem& system) {
    std::optional<Text> selected = system.automation_selection();
    if (selected && !selected->empty()) return {*selected, Text()};
    if (system.foreground_above_us()) return {Text(), kForegroundElevated};
    system.wait_for_modifiers_released();
    if (!retried_while_busy(system, [&] { return system.save_clipboard(); })) return {Text(), kClipboardBusy};
    unsigned before = system.clipboard_sequence();
    system.send_copy();
    if (!clipboard_changed_since(system, before)) return capture_clipboard(system);
    ClipboardText copied = read_clipboard(system);
    retried_while_busy(system, [&] { return system.restore_clipboard(); });
    return captured_of(copied);
}

}  // namespace shell
