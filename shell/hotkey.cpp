#include "shell/hotkey.h"

#include <cctype>
#include <vector>

namespace shell {

namespace {

struct Name {
    const char* name;
    unsigned code;
};

const Name kModifiers[] = {{"Ctrl", kModCtrl}, {"Control", kModCtrl}, {"Alt", kModAlt},
                           {"Shift", kModShift}, {"Win", kModWin}};

// Keys that mean the same on every keyboard layout; letters, digits and F1 to F24 are added below.
const Name kNamedKeys[] = {{"Space", 0x20},    {"PageUp", 0x21}, {"PageDown", 0x22}, {"End", 0x23},
                           {"Home", 0x24},     {"Left", 0x25},   {"Up", 0x26},       {"Right", 0x27},
                           {"Down", 0x28},     {"Insert", 0x2D}, {"Delete", 0x2E},   {"Pause", 0x13}};
const unsigned kF1 = 0x70, kFunctionKeys = 24;
const unsigned kNumpad0 = 0x60;

bool same_name(const Text& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return i == a.size() && !b[i];
}

Text trimmed(const Text& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == Text::npos) return Text();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::optional<unsigned> modifier_of(const Text& part) {
    for (const Name& modifier : kModifiers) {
        if (same_name(part, modifier.name)) return modifier.code;
    }
    return std::nullopt;
}

bool is_function_key(unsigned key) { return key >= kF1 && key < kF1 + kFunctionKeys; }

std::optional<unsigned> key_of(const Text& part) {
    if (part.size() == 1 && std::isalnum(static_cast<unsigned char>(part[0]))) {
        return static_cast<unsigned>(std::toupper(static_cast<unsigned char>(part[0])));
    }
    for (const Name& key : kNamedKeys) {
        if (same_name(part, key.name)) return key.code;
    }
    for (unsigned n = 0; n < 10; ++n) {
        if (same_name(part, ("Num" + std::to_string(n)).c_str())) return kNumpad0 + n;
    }
    for (unsigned n = 1; n <= kFunctionKeys; ++n) {
        if (same_name(part, ("F" + std::to_string(n)).c_str())) return kF1 + n - 1;
    }
    return std::nullopt;
}

Text key_name(unsigned key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return Text(1, static_cast<char>(key));
    if (is_function_key(key)) return "F" + std::to_string(key - kF1 + 1);
    if (key >= kNumpad0 && key < kNumpad0 + 10) return "Num" + std::to_string(key - kNumpad0);
    for (const Name& named : kNamedKeys) {
        if (named.code == key) return named.name;
    }
    return Text();
}

}  // namespace

std::optional<Hotkey> parse_hotkey(const Text& name) {
    Hotkey hotkey;
    std::vector<Text> parts;
    size_t start = 0;
    for (size_t plus; (plus = name.find('+', start)) != Text::npos; start = plus + 1) {
        parts.push_back(trimmed(name.substr(start, plus - start)));
    }
    parts.push_back(trimmed(name.substr(start)));
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        std::optional<unsigned> modifier = modifier_of(parts[i]);
        if (!modifier || (hotkey.modifiers & *modifier)) return std::nullopt;
        hotkey.modifiers |= *modifier;
    }
    std::optional<unsigned> key = key_of(parts.back());
    if (!key) return std::nullopt;
    hotkey.key = *key;
    bool held = (hotkey.modifiers & (kModCtrl | kModAlt | kModWin)) != 0;
    if (!held && !is_function_key(hotkey.key)) return std::nullopt;
    return hotkey;
}

Text hotkey_name(const Hotkey& hotkey) {
    Text name;
    const Name kOrder[] = {{"Ctrl", kModCtrl}, {"Alt", kModAlt}, {"Shift", kModShift}, {"Win", kModWin}};
    for (const Name& modifier : kOrder) {
        if (hotkey.modifiers & modifier.code) name += Text(modifier.name) + "+";
    }
    return name + key_name(hotkey.key);
}

}  // namespace shell
