// Text and byte-buffer operations shared by every handler.
//
// A Text holds UTF-8 and never a zero byte; positions are 1-based byte positions and a failed
// search gives -1. Scanning operations step over whole characters, so a match never starts inside
// one; span operations count raw bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace runtime {

using Text = std::string;
using Texts = std::vector<Text>;  // element i (1-based) is at [i - 1]
using Bytes = std::vector<unsigned char>;

// Texts
int length_of_text(const Text& text);
Text left_text(const Text& text, int n);
Text right_text(const Text& text, int n);
Text mid_text(const Text& text, int start, int n);
int find_text(const Text& text, const Text& search, std::optional<int> start = std::nullopt, bool ignore_case = false);
Texts split_text(const Text& text, const std::optional<Text>& delimiter = std::nullopt,
                 std::optional<int> maximum = std::nullopt);
// The pieces split_text gives, as byte ranges of text[begin, end) instead of copies; end stands
// for the terminator.
struct Span {
    size_t begin;
    size_t end;
};
std::vector<Span> split_spans(const Text& text, const Text& delimiter, std::optional<int> maximum = std::nullopt,
                              size_t begin = 0, size_t end = Text::npos);
// The same pieces handed one by one to on_piece(Span), without collecting them.
template <typename OnPiece>
void for_each_piece(const Text& text, const Text& delimiter, size_t begin, size_t end, OnPiece on_piece);
// Where trim_leading_spaces would start the text[begin, end).
size_t skip_leading_spaces(const Text& text, size_t begin, size_t end);
Text replace_span(const Text& text, int start, int n, const std::optional<Text>& replacement = std::nullopt);
Text to_upper(const Text& text);
Text to_lower(const Text& text);
Text trim_leading_spaces(const Text& text);
int compare_texts(const Text& a, const Text& b, bool case_sensitive);
Text char_from_code(int code);
int code_of_char(const Text& text, std::optional<int> position = std::nullopt);
Text spaces_text(int n);
Text hex_text(int value);
double to_number(const Text& text);
Text to_text(int value);
Text to_text(const Bytes& bytes);

// Byte buffers
int bytes_length(const Bytes& bytes);
Bytes left_bytes(const Bytes& bytes, int n);
Bytes right_bytes(const Bytes& bytes, int n);
int find_bytes(const Bytes& bytes, const Bytes& pattern, std::optional<int> start = std::nullopt);
Bytes zero_bytes(int n);
Bytes to_bytes(const Text& text);

enum class ValueType { byte = 1, int16, int32, int64, float32, float64, boolean, date_time, subroutine, text };
using Value = std::variant<std::int64_t, double, bool, Text>;
// Reads a little-endian value at a 1-based position; bytes missing at the end count as zero.
Value read_bytes_value(const Bytes& bytes, ValueType type, std::optional<int> position = std::nullopt);

// The index after the character that starts at text[i], at most end: a lead byte takes the
// continuation bytes that follow it, any other byte stands alone.
inline size_t next_char_index(const Text& text, size_t i, size_t end) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    size_t next = i + 1;
    while (next < end && next < i + length && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
    return next;
}

template <typename OnPiece>
void for_each_piece(const Text& text, const Text& delimiter, size_t begin, size_t end, OnPiece on_piece) {
    if (end > text.size()) end = text.size();
    if (begin >= end) return;
    if (delimiter.empty()) {
        on_piece(Span{begin, end});
        return;
    }
    size_t piece_start = begin;
    size_t i = begin;
    while (i < end) {
        if (text[i] == delimiter[0] && end - i >= delimiter.size() &&
            text.compare(i, delimiter.size(), delimiter) == 0) {
            if (!on_piece(Span{piece_start, i})) return;
            i += delimiter.size();
            piece_start = i;
        } else {
            i = next_char_index(text, i, end);
        }
    }
    if (piece_start < end) on_piece(Span{piece_start, end});
}

}  // namespace runtime
