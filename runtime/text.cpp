#include "runtime/text.h"

#include "runtime/utf.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace runtime {

namespace {

char fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Compares the search text with the text at index at, folding ASCII letters only: the bytes of
// other characters are all 128 or more and never look like a letter.
bool matches_ignoring_case(const Text& text, size_t at, const Text& search) {
    for (size_t j = 0; j < search.size(); ++j) {
        if (fold(search[j]) != fold(text[at + j])) return false;
    }
    return true;
}

Text map_case(const Text& text, char from, char to, int shift) {
    Text result = text;
    for (char& c : result) {
        if (c >= from && c <= to) c = static_cast<char>(c + shift);
    }
    return result;
}

const char kIdeographicSpace[] = "\u3000";
const size_t kIdeographicSpaceBytes = sizeof kIdeographicSpace - 1;

// Full-width digits, signs, point, exponent letters and the ideographic space as their ASCII
// counterparts, which is all that a number can be made of.
Text half_width_number_chars(const Text& text) {
    Text result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        size_t next = next_char_index(text, i, text.size());
        size_t at = i;
        char32_t c = next - i > 1 ? code_point_at(text, at) : 0;
        bool number_char = (c >= U'\uFF10' && c <= U'\uFF19') || c == U'\uFF0B' || c == U'\uFF0D' || c == U'\uFF0E' ||
                           c == U'\uFF25' || c == U'\uFF45';
        if (number_char) {
            result += static_cast<char>(c - 0xFEE0);
        } else if (c == U'\u3000') {
            result += ' ';
        } else {
            result.append(text, i, next - i);
        }
        i = next;
    }
    return result;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Length of the longest prefix of s (from index i) that reads as sign, digits, point and exponent.
size_t number_prefix_end(const Text& s, size_t i) {
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digits = 0;
    while (i < s.size() && is_digit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        size_t after_point = i + 1;
        size_t fraction = 0;
        while (after_point < s.size() && is_digit(s[after_point])) ++after_point, ++fraction;
        if (digits + fraction > 0) {
            i = after_point;
            digits += fraction;
        }
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t e = i + 1;
        if (e < s.size() && (s[e] == '+' || s[e] == '-')) ++e;
        size_t exponent_digits = 0;
        while (e < s.size() && is_digit(s[e])) ++e, ++exponent_digits;
        if (exponent_digits > 0) i = e;
    }
    return i;
}

}  // namespace

int length_of_text(const Text& text) { return static_cast<int>(text.size()); }

Text left_text(const Text& text, int n) {
    if (n <= 0) return Text();
    return text.substr(0, std::min<size_t>(n, text.size()));
}

Text right_text(const Text& text, int n) {
    if (n <= 0) return Text();
    size_t count = std::min<size_t>(n, text.size());
    return text.substr(text.size() - count);
}

Text mid_text(const Text& text, int start, int n) {
    int length = length_of_text(text);
    if (start < 1 || start > length || n <= 0) return Text();
    return text.substr(start - 1, std::min(n, length - start + 1));
}

int find_text(const Text& text, const Text& search, std::optional<int> start, bool ignore_case) {
    int from = std::max(start.value_or(1), 1);
    if (from > length_of_text(text)) return -1;
    if (search.empty()) return 1;
    const char first = search[0];
    size_t i = from - 1;
    while (text.size() - i >= search.size()) {
        bool found = ignore_case ? matches_ignoring_case(text, i, search)
                                 : text[i] == first && std::memcmp(text.data() + i, search.data(), search.size()) == 0;
        if (found) return static_cast<int>(i) + 1;
        i = next_char_index(text, i, text.size());
    }
    return -1;
}

std::vector<Span> split_spans(const Text& text, const Text& delim, std::optional<int> maximum, size_t begin, size_t end) {
    int limit = maximum ? std::max(*maximum, 0) : -1;  // -1: unlimited
    std::vector<Span> pieces;
    if (limit == 0) return pieces;
    // on_piece answers whether the scan goes on: it stops when the maximum is reached.
    for_each_piece(text, delim, begin, end, [&](Span piece) {
        pieces.push_back(piece);
        return static_cast<int>(pieces.size()) != limit;
    });
    return pieces;
}

Texts split_text(const Text& text, const std::optional<Text>& delimiter, std::optional<int> maximum) {
    Texts pieces;
    for (Span span : split_spans(text, delimiter ? *delimiter : Text(","), maximum)) {
        pieces.push_back(text.substr(span.begin, span.end - span.begin));
    }
    return pieces;
}

Text replace_span(const Text& text, int start, int n, const std::optional<Text>& replacement) {
    int length = length_of_text(text);
    int at = std::clamp(start, 1, length + 1);
    int removed = n <= 0 ? 0 : std::min(n, length - at + 1);
    Text result = text.substr(0, at - 1);
    if (replacement) result += *replacement;
    result.append(text, at - 1 + removed, Text::npos);
    return result;
}

Text to_upper(const Text& text) { return map_case(text, 'a', 'z', 'A' - 'a'); }

Text to_lower(const Text& text) { return map_case(text, 'A', 'Z', 'a' - 'A'); }

size_t skip_leading_spaces(const Text& text, size_t begin, size_t end) {
    end = std::min(end, text.size());
    size_t i = begin;
    while (i < end) {
        if (text[i] == ' ') {
            i += 1;
        } else if (end - i >= kIdeographicSpaceBytes && text.compare(i, kIdeographicSpaceBytes, kIdeographicSpace) == 0) {
            i += kIdeographicSpaceBytes;
        } else {
            break;
        }
    }
    return i;
}

Text trim_leading_spaces(const Text& text) { return text.substr(skip_leading_spaces(text, 0, text.size())); }

// Bytes compare as unsigned values, so UTF-8 texts compare as their code points do.
int compare_texts(const Text& a, const Text& b, bool case_sensitive) {
    size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        auto ca = static_cast<unsigned char>(case_sensitive ? a[i] : fold(a[i]));
        auto cb = static_cast<unsigned char>(case_sensitive ? b[i] : fold(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() > b.size() ? 1 : -1;
}

Text char_from_code(int code) {
    char byte = static_cast<char>(code & 0xFF);
    return byte == 0 ? Text() : Text(1, byte);
}

int code_of_char(const Text& text, std::optional<int> position) {
    int at = position.value_or(1);
    if (at < 1 || at > length_of_text(text)) return 0;
    return static_cast<signed char>(text[at - 1]);
}

Text spaces_text(int n) { return n < 1 ? Text() : Text(n, ' '); }

Text hex_text(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%X", static_cast<unsigned>(value));
    return buffer;
}

double to_number(const Text& text) {
    Text s = half_width_number_chars(text);
    size_t start = 0;
    while (start < s.size() && (s[start] == ' ' || s[start] == '\t')) ++start;
    size_t end = number_prefix_end(s, start);
    if (end == 0) return 0;
    return std::strtod(s.substr(start, end - start).c_str(), nullptr);
}

Text to_text(int value) { return std::to_string(value); }

Text to_text(const Bytes& bytes) {
    auto zero = std::find(bytes.begin(), bytes.end(), 0);
    return Text(bytes.begin(), zero);
}

int bytes_length(const Bytes& bytes) { return static_cast<int>(bytes.size()); }

Bytes left_bytes(const Bytes& bytes, int n) {
    if (n < 0) return Bytes();
    return Bytes(bytes.begin(), bytes.begin() + std::min<size_t>(n, bytes.size()));
}

Bytes right_bytes(const Bytes& bytes, int n) {
    if (n < 0) return Bytes();
    return Bytes(bytes.end() - std::min<size_t>(n, bytes.size()), bytes.end());
}

int find_bytes(const Bytes& bytes, const Bytes& pattern, std::optional<int> start) {
    int from = std::max(start.value_or(1), 1);
    if (pattern.empty() || from > bytes_length(bytes)) return -1;
    auto found = std::search(bytes.begin() + (from - 1), bytes.end(), pattern.begin(), pattern.end());
    return found == bytes.end() ? -1 : static_cast<int>(found - bytes.begin()) + 1;
}

Bytes zero_bytes(int n) { return n <= 0 ? Bytes() : Bytes(n, 0); }

Bytes to_bytes(const Text& text) { return Bytes(text.begin(), text.end()); }

Value read_bytes_value(const Bytes& bytes, ValueType type, std::optional<int> position) {
    size_t at = static_cast<size_t>(std::max(position.value_or(1), 1) - 1);
    auto raw = [&](size_t size) {
        unsigned char buffer[8] = {};
        for (size_t k = 0; k < size && at + k < bytes.size(); ++k) buffer[k] = bytes[at + k];
        std::uint64_t value = 0;
        for (size_t k = size; k-- > 0;) value = (value << 8) | buffer[k];
        return value;
    };
    switch (type) {
        case ValueType::byte: return static_cast<std::int64_t>(raw(1));
        case ValueType::int16: return static_cast<std::int64_t>(static_cast<std::int16_t>(raw(2)));
        case ValueType::int32: return static_cast<std::int64_t>(static_cast<std::int32_t>(raw(4)));
        case ValueType::int64: return static_cast<std::int64_t>(raw(8));
        case ValueType::subroutine: return static_cast<std::int64_t>(raw(4));
        case ValueType::boolean: return raw(4) != 0;
        case ValueType::float32: {
            std::uint32_t word = static_cast<std::uint32_t>(raw(4));
            float value;
            std::memcpy(&value, &word, sizeof value);
            return static_cast<double>(value);
        }
        case ValueType::float64:
        case ValueType::date_time: {
            std::uint64_t word = raw(8);
            double value;
            std::memcpy(&value, &word, sizeof value);
            return value;
        }
        case ValueType::text: {
            Bytes tail = at < bytes.size() ? Bytes(bytes.begin() + at, bytes.end()) : Bytes();
            return to_text(tail);
        }
    }
    return std::int64_t{0};
}

}  // namespace runtime
