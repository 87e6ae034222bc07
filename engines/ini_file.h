// tarvik.ini as its lines. Read as Windows' profile functions read it (sections and keys in any
// letter case, the first of a repeated key counts, spaces around a value and a pair of quotes
// around it go), and written back with every line that was not changed exactly as it was:
// comments (";" and "#"), blank lines, unknown keys and sections, their order.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "runtime/text.h"

namespace engines {

using runtime::Text;

struct IniLines {
    std::vector<Text> lines;  // without their line ends
    Text line_end = "\r\n";   // the file's own, for lines written into it
    bool ends_with_line_end = true;
};

IniLines parse_ini(const Text& text);
Text ini_text(const IniLines& ini);

std::optional<Text> ini_value(const IniLines& ini, const Text& section, const Text& key);
bool ini_has_section(const IniLines& ini, const Text& section);

// Replaces the key's value where it stands (the first of repeated keys), or adds the key at the end
// of its section, or the section at the end of the file. An empty value for a key that is not
// there adds nothing, unless the empty value says something (write_empty).
void ini_set(IniLines& ini, const Text& section, const Text& key, const Text& value, bool write_empty = false);
// Takes the section's header and its keys out; comments and blank lines in it stay.
void ini_remove_section(IniLines& ini, const Text& section);

// The file's bytes as text: UTF-8 with or without a byte-order mark, UTF-16 with one, and, for a
// file that is not valid UTF-8, the code page the earlier versions wrote (code page 936), through
// legacy_to_utf8.
using LegacyDecoder = std::function<Text(const std::string& bytes)>;
Text decode_settings_file(const std::string& bytes, const LegacyDecoder& legacy_to_utf8);

}  // namespace engines
