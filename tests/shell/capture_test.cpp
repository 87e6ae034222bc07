// The capture's decisions against a system made of a clipboard, a program in the foreground and a
// clock, all simulated: what Windows itself does is tested under Wine.
#include "shell/capture.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace shell {
namespace {

const unsigned kTextFormat = 13;      // CF_UNICODETEXT
const unsigned kImageFormat = 8;      // CF_DIB
const unsigned kPrivateFormat = 0xC123;

using Formats = std::map<unsigned, std::string>;

class FakeSystem : public CaptureSystem {
public:
    // The simulated world.
    Formats clipboard;
    unsigned sequence = 7;
    std::optional<Text> automation;
    bool elevated = false;
    int modifiers_held_ms = 0;
    // What the program in front copies, in which formats, and how long after the keys it does.
    Formats selection;
    int copy_delay_ms = 30;
    // The clipboard is held open by another program until this time, and again for a while after the
    // copy, as a slow program does while it writes its formats.
    int busy_until_ms = 0;
    int busy_after_copy_ms = 0;
    int now_ms = 0;

    // What the capture did.
    std::vector<std::string> steps;
    std::optional<Formats> saved;

    std::optional<Text> automation_selection() override {
        steps.push_back("automation");
        return automation;
    }
    bool foreground_above_us() override { return elevated; }
    void wait_for_modifiers_released() override {
        steps.push_back("modifiers");
        now_ms = std::max(now_ms, modifiers_held_ms);
    }
    unsigned clipboard_sequence() override {
        arrive();
        return sequence;
    }
    bool save_clipboard() override {
        if (busy()) return false;
        steps.push_back("save");
        saved = clipboard;
        return true;
    }
    bool restore_clipboard() override {
        if (busy()) return false;
        steps.push_back("restore");
        if (saved) put(*saved);
        return true;
    }
    void send_copy() override {
        steps.push_back("copy");
        copy_at_ms = now_ms + copy_delay_ms;
    }
    ClipboardText clipboard_text() override {
        if (busy()) return {ClipboardText::busy, Text()};
        steps.push_back("read");
        auto text = clipboard.find(kTextFormat);
        if (text == clipboard.end()) return {ClipboardText::no_text, Text()};
        return {ClipboardText::text, text->second};
    }
    void pause(int milliseconds) override { now_ms += milliseconds; }

    bool sent(const std::string& step) const { return std::find(steps.begin(), steps.end(), step) != steps.end(); }

private:
    int copy_at_ms = -1;

    void put(const Formats& formats) {
        clipboard = formats;
        ++sequence;
    }
    // The copy lands once its time has come, if there is a selection to copy.
    void arrive() {
        if (copy_at_ms < 0 || now_ms < copy_at_ms) return;
        copy_at_ms = -1;
        if (selection.empty()) return;
        put(selection);
        busy_until_ms = now_ms + busy_after_copy_ms;
    }
    bool busy() {
        arrive();
        return now_ms < busy_until_ms;
    }
};

Formats user_clipboard() { return {{kTextFormat, "before"}, {kPrivateFormat, std::string("\x01\x00\xFF", 3)}}; }

TEST(Capture, ASelectionReadThroughAutomationLeavesTheClipboardAlone) {
    FakeSystem system;
    system.clipboard = user_clipboard();
    system.automation = "선택한 글";
    system.modifiers_held_ms = 400;
    Captured captured = capture_selection(system);
    EXPECT_EQ(captured.text, "선택한 글");
    EXPECT_EQ(captured.problem, "");
    EXPECT_EQ(system.steps, std::vector<std::string>{"automation"}) << "no keys sent, no waiting, no clipboard";
    EXPECT_EQ(system.clipboard, user_clipboard());
    EXPECT_EQ(system.sequence, 7u);
}

TEST(Capture, ACopiedSelectionAndTheClipboardPutBackEveryFormat) {
    FakeSystem system;
    system.clipboard = user_clipboard();
    system.automation = "";  // offered, but empty: some programs say so while text is selected
    system.selection = {{kTextFormat, "Hello world"}, {0xC200, "html"}};
    system.modifiers_held_ms = 250;
    system.busy_after_copy_ms = 60;
    Captured captured = capture_selection(system);
    EXPECT_EQ(captured.text, "Hello world");
    EXPECT_EQ(captured.problem, "");
    EXPECT_EQ(system.steps, (std::vector<std::string>{"automation", "modifiers", "save", "copy", "read", "restore"}));
    EXPECT_EQ(system.clipboard, user_clipboard()) << "text and private format as they were";
    // The copy took 30 ms and the program held the clipboard 60 ms more: the wait is about that.
    EXPECT_LT(system.now_ms, 250 + 30 + 60 + 2 * kBusyRetryMs);
}

TEST(Capture, ACopyThatTakesAlmostTheWholeWaitStillCounts) {
    FakeSystem system;
    system.clipboard = user_clipboard();
    system.selection = {{kTextFormat, "slow"}};
    system.copy_delay_ms = kCopyWaitMs - 50;
    EXPECT_EQ(capture_selection(system).text, "slow");
    EXPECT_EQ(system.clipboard, user_clipboard());
}

TEST(Capture, NothingSelectedTakesTheClipboardsText) {
    FakeSystem system;
    system.clipboard = user_clipboard();
    Captured captured = capture_selection(system);
    EXPECT_EQ(captured.text, "before");
    EXPECT_EQ(captured.problem, "");
    EXPECT_FALSE(system.sent("restore")) << "nothing changed, nothing to put back";
    EXPECT_GE(system.now_ms, kCopyWaitMs);
    EXPECT_EQ(system.clipboard, user_clipboard());

    // A copy that comes after the wait is not taken for the selection.
    FakeSystem late;
    late.clipboard = user_clipboard();
    late.selection = {{kTextFormat, "late"}};
    late.copy_delay_ms = kCopyWaitMs + 200;
    EXPECT_EQ(capture_selection(late).text, "before");
}

TEST(Capture, NoTextAnywhereGivesNothingToTranslateAndNoComplaint) {
    FakeSystem image_only;
    image_only.clipboard = {{kImageFormat, "BM..."}};
    Captured captured = capture_selection(image_only);
    EXPECT_EQ(captured.text, "");
    EXPECT_EQ(captured.problem, "");

    FakeSystem empty;
    captured = capture_selection(empty);
    EXPECT_EQ(captured.text, "");
    EXPECT_EQ(captured.problem, "");
    EXPECT_EQ(capture_clipboard(empty).text, "");

    // An image selected: the copy brings no text; the clipboard still gets back what it held.
    FakeSystem picture;
    picture.clipboard = user_clipboard();
    picture.selection = {{kImageFormat, "BM..."}};
    captured = capture_selection(picture);
    EXPECT_EQ(captured.text, "");
    EXPECT_EQ(captured.problem, "");
    EXPECT_EQ(picture.clipboard, user_clipboard());
}

TEST(Capture, AnElevatedProgramInFrontIsSaidAndNothingIsSent) {
    FakeSystem system;
    system.clipboard = user_clipboard();
    system.elevated = true;
    system.selection = {{kTextFormat, "admin"}};
    Captured captured = capture_selection(system);
    EXPECT_EQ(captured.text, "");
    EXPECT_EQ(captured.problem, kForegroundElevated);
    EXPECT_FALSE(system.sent("copy"));
    EXPECT_FALSE(system.sent("save"));
    EXPECT_EQ(system.clipboard, user_clipboard());
    EXPECT_EQ(Text(kForegroundElevated).find('\n'), Text::npos) << "one line";

    // Its selection through UI Automation, where Windows gives it, needs no keys.
    system.automation = "admin";
    EXPECT_EQ(capture_selection(system).text, "admin");
}

TEST(Capture, AClipboardHeldOpenIsTriedAgainBrieflyThenSaid) {
    FakeSystem briefly;
    briefly.clipboard = user_clipboard();
    briefly.busy_until_ms = 3 * kBusyRetryMs;
    EXPECT_EQ(capture_clipboard(briefly).text, "before");

    FakeSystem held;
    held.clipboard = user_clipboard();
    held.busy_until_ms = 60000;
    Captured captured = capture_clipboard(held);
    EXPECT_EQ(captured.text, "");
    EXPECT_EQ(captured.problem, kClipboardBusy);
    EXPECT_LE(held.now_ms, kBusyTries * kBusyRetryMs) << "given up after about half a second";

    // Held open before the copy: no keys are sent, since the clipboard could not be kept.
    FakeSystem before_copy;
    before_copy.clipboard = user_clipboard();
    before_copy.selection = {{kTextFormat, "x"}};
    before_copy.busy_until_ms = 60000;
    captured = capture_selection(before_copy);
    EXPECT_EQ(captured.problem, kClipboardBusy);
    EXPECT_FALSE(before_copy.sent("copy"));
}

TEST(Capture, AMegabyteSelectedComesWhole) {
    FakeSystem system;
    system.clipboard = user_clipboard();
    Text big(1 << 20, 'a');
    for (size_t i = 0; i < big.size(); i += 100) big[i] = '\n';
    system.selection = {{kTextFormat, big}};
    EXPECT_EQ(capture_selection(system).text, big);
    EXPECT_EQ(system.clipboard, user_clipboard());
}

}  // namespace
}  // namespace shell
