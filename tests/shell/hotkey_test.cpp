#include "shell/hotkey.h"

#include <gtest/gtest.h>

namespace shell {
namespace {

TEST(Hotkey, NamesReadInAnyCaseOrderAndSpacing) {
    const Hotkey ctrl_alt_e{kModCtrl | kModAlt, 'E'};
    for (const char* name : {"Ctrl+Alt+E", "ctrl+alt+e", "Alt+Ctrl+E", " Control + ALT + e ", "CTRL+Alt+E"}) {
        std::optional<Hotkey> read = parse_hotkey(name);
        ASSERT_TRUE(read) << name;
        EXPECT_EQ(*read, ctrl_alt_e) << name;
        EXPECT_EQ(hotkey_name(*read), "Ctrl+Alt+E") << name;
    }
    EXPECT_EQ(parse_hotkey("Win+Shift+F5"), (Hotkey{kModWin | kModShift, 0x74}));
    EXPECT_EQ(parse_hotkey("Ctrl+Alt+Num5"), (Hotkey{kModCtrl | kModAlt, 0x65}));
    EXPECT_EQ(parse_hotkey("Ctrl+Shift+Space"), (Hotkey{kModCtrl | kModShift, 0x20}));
    EXPECT_EQ(parse_hotkey("Alt+3"), (Hotkey{kModAlt, '3'}));
    // A function key needs no modifier: no program takes it as a typed character.
    EXPECT_EQ(parse_hotkey("F9"), (Hotkey{0, 0x78}));
    EXPECT_EQ(parse_hotkey("Shift+F24"), (Hotkey{kModShift, 0x87}));
}

TEST(Hotkey, NamesThatAreNoHotkey) {
    for (const char* name : {"", " ", "E", "Shift+A", "Shift+Space", "Ctrl+", "+E", "Ctrl++E", "Ctrl+Ctrl+E",
                             "Ctrl+Alt", "Ctrl+Alt+Esc", "Ctrl+Alt+F25", "Ctrl+Alt+F0", "Ctrl+Alt+EE", "Hyper+E",
                             "Ctrl+Alt+É", "Ctrl+Alt+ë", "Ctrl Alt E", "Ctrl+Alt+E+F", "Ctrl+Alt+Num10"}) {
        EXPECT_FALSE(parse_hotkey(name)) << name;
    }
}

TEST(Hotkey, EveryNameWrittenIsReadBackAsTheSameKey) {
    int keys = 0;
    for (unsigned key = 0; key < 256; ++key) {
        for (unsigned modifiers : {unsigned(kModCtrl | kModAlt), unsigned(kModWin), unsigned(kModAlt | kModShift)}) {
            Hotkey hotkey{modifiers, key};
            Text name = hotkey_name(hotkey);
            std::optional<Hotkey> read = parse_hotkey(name);
            if (!read) continue;
            EXPECT_EQ(*read, hotkey) << name;
            ++keys;
        }
    }
    // Letters, digits, F1 to F24, the number pad's digits and twelve named keys, three ways each.
    EXPECT_EQ(keys, 3 * (26 + 10 + 24 + 10 + 12));
}

}  // namespace
}  // namespace shell
