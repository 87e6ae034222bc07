// Text and byte-buffer operations shared by every handler.
//
// A Text holds code page 936 (GBK) bytes and never a zero byte; positions are 1-based byte
// positions and a failed search gives -1. Scanning operations step over double-byte characters
// (a byte of 128 or more and the byte after it); span operations count raw bytes.
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

inline bool is_lead_byte(unsigned char byte) { return byte >= 0x80; }

}  // namespace runtime
