// The system-wide hotkeys as tarvik.ini and the settings dialog write them: "Ctrl+Alt+E".
#pragma once

#include <optional>

#include "runtime/text.h"

namespace shell {

using runtime::Text;

// The modifier flags and virtual-key codes as RegisterHotKey takes them.
enum HotkeyModifier : unsigned { kModAlt = 0x1, kModCtrl = 0x2, kModShift = 0x4, kModWin = 0x8 };

struct Hotkey {
    unsigned modifiers = 0;
    unsigned key = 0;
    bool operator==(const Hotkey& other) const { return modifiers == other.modifiers && key == other.key; }
};

// Modifier and key names joined by "+", in any letter case and order, spaces around them allowed.
// A key needs Ctrl, Alt or Win with it (Shift alone would take a typed letter from every program),
// except the function keys F1 to F24. Nothing for anything else.
std::optional<Hotkey> parse_hotkey(const Text& name);
// The name written back: modifiers in the order Ctrl, Alt, Shift, Win, then the key.
Text hotkey_name(const Hotkey& hotkey);

}  // namespace shell
