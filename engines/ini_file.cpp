#include "engines/ini_file.h"

#include "runtime/utf.h"

namespace engines {

namespace {

const char kUtf8Mark[] = "\xEF\xBB\xBF";

Text trimmed(const Text& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == Text::npos) return Text();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool same_name(const Text& a, const Text& b) { return runtime::compare_texts(a, b, false) == 0; }

bool is_comment(const Text& trimmed_line) {
    return !trimmed_line.empty() && (trimmed_line[0] == ';' || trimmed_line[0] == '#');
}

// The section a line opens, or nothing when it opens none.
std::optional<Text> section_of(const Text& line) {
    Text text = trimmed(line);
    if (text.size() < 2 || text[0] != '[') return std::nullopt;
    size_t close = text.find(']');
    if (close == Text::npos) return std::nullopt;
    return trimmed(text.substr(1, close - 1));
}

struct KeyLine {
    Text key;
    Text value;
};

std::optional<KeyLine> key_line_of(const Text& line) {
    Text text = trimmed(line);
    if (text.empty() || is_comment(text) || text[0] == '[') return std::nullopt;
    size_t equals = text.find('=');
    if (equals == Text::npos) return std::nullopt;
    Text value = trimmed(text.substr(equals + 1));
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
        value = value.substr(1, value.size() - 2);
    }
    return KeyLine{trimmed(text.substr(0, equals)), value};
}

// Where each line stands: the section it belongs to (empty before the first header).
template <typename OnLine>
void walk(const IniLines& ini, OnLine on_line) {
    Text current;
    bool in_section = false;
    for (size_t i = 0; i < ini.lines.size(); ++i) {
        if (std::optional<Text> opened = section_of(ini.lines[i])) {
            current = *opened;
            in_section = true;
            if (!on_line(i, current, true)) return;
            continue;
        }
        if (in_section && !on_line(i, current, false)) return;
    }
}

std::optional<size_t> key_index(const IniLines& ini, const Text& section, const Text& key) {
    std::optional<size_t> found;
    walk(ini, [&](size_t i, const Text& current, bool header) {
        if (header || !same_name(current, section)) return true;
        std::optional<KeyLine> line = key_line_of(ini.lines[i]);
        if (line && same_name(line->key, key)) found = i;
        return !found;
    });
    return found;
}

// The line after the section's last line that is neither blank nor a comment, or nothing when
// the file has no such section.
std::optional<size_t> section_end(const IniLines& ini, const Text& section) {
    std::optional<size_t> end;
    walk(ini, [&](size_t i, const Text& current, bool header) {
        if (!same_name(current, section)) return true;
        Text text = trimmed(ini.lines[i]);
        if (header || (!text.empty() && !is_comment(text))) end = i + 1;
        return true;
    });
    return end;
}

Text utf16_bytes_to_utf8(const std::string& bytes, size_t start, bool big_endian) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (size_t i = start; i + 1 < bytes.size(); i += 2) {
        auto high = static_cast<unsigned char>(bytes[big_endian ? i : i + 1]);
        auto low = static_cast<unsigned char>(bytes[big_endian ? i + 1 : i]);
        units.push_back(static_cast<char16_t>(high << 8 | low));
    }
    return runtime::utf16_to_utf8(units);
}

}  // namespace

IniLines parse_ini(const Text& text) {
    IniLines ini;
    size_t first_break = text.find('\n');
    if (first_break != Text::npos && (first_break == 0 || text[first_break - 1] != '\r')) ini.line_end = "\n";
    ini.ends_with_line_end = text.empty() || text.back() == '\n';
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        Text line = text.substr(at, end == Text::npos ? Text::npos : end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ini.lines.push_back(line);
        at = end == Text::npos ? text.size() : end + 1;
    }
    return ini;
}

Text ini_text(const IniLines& ini) {
    Text text;
    for (size_t i = 0; i < ini.lines.size(); ++i) {
        text += ini.lines[i];
        if (i + 1 < ini.lines.size() || ini.ends_with_line_end) text += ini.line_end;
    }
    return text;
}

std::optional<Text> ini_value(const IniLines& ini, const Text& section, const Text& key) {
    std::optional<size_t> index = key_index(ini, section, key);
    if (!index) return std::nullopt;
    return key_line_of(ini.lines[*index])->value;
}

bool ini_has_section(const IniLines& ini, const Text& section) { return section_end(ini, section).has_value(); }

void ini_set(IniLines& ini, const Text& section, const Text& key, const Text& value, bool write_empty) {
    if (std::optional<size_t> index = key_index(ini, section, key)) {
        Text written_key = key_line_of(ini.lines[*index])->key;
        if (key_line_of(ini.lines[*index])->value != value) ini.lines[*index] = written_key + "=" + value;
        return;
    }
    if (value.empty() && !write_empty) return;
    std::optional<size_t> end = section_end(ini, section);
    if (!end) {
        if (!ini.lines.empty() && !trimmed(ini.lines.back()).empty()) ini.lines.push_back("");
        ini.lines.push_back("[" + section + "]");
        end = ini.lines.size();
    }
    ini.lines.insert(ini.lines.begin() + static_cast<std::ptrdiff_t>(*end), key + "=" + value);
    ini.ends_with_line_end = true;
}

void ini_remove_section(IniLines& ini, const Text& section) {
    std::vector<size_t> doomed;
    walk(ini, [&](size_t i, const Text& current, bool header) {
        if (same_name(current, section) && (header || key_line_of(ini.lines[i]))) doomed.push_back(i);
        return true;
    });
    for (auto i = doomed.rbegin(); i != doomed.rend(); ++i) {
        ini.lines.erase(ini.lines.begin() + static_cast<std::ptrdiff_t>(*i));
    }
}

Text decode_settings_file(const std::string& bytes, const LegacyDecoder& legacy_to_utf8) {
    if (bytes.compare(0, 3, kUtf8Mark) == 0) return runtime::valid_utf8(bytes.substr(3));
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return utf16_bytes_to_utf8(bytes, 2, false);
    if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') return utf16_bytes_to_utf8(bytes, 2, true);
    if (runtime::is_valid_utf8(bytes)) return bytes;
    return runtime::valid_utf8(legacy_to_utf8(bytes));
}

}  // namespace engines
