#include <gtest/gtest.h>

#include "runtime/text.h"

using namespace runtime;

namespace {

const Text kZhong = "中";        // E4 B8 AD
const Text kCutOff = "ab\xE4\xB8";  // a character cut off after its second byte

}  // namespace

TEST(FindText, PositionsStartAndEmptySearch) {
    struct Case { Text text, search; std::optional<int> start; int expected; };
    const Case cases[] = {
        {"abc", "b", std::nullopt, 2}, {"abc", "b", 3, -1}, {"abc", "b", 0, 2}, {"abc", "b", -5, 2},
        {"abc", "", std::nullopt, 1},  {"", "", std::nullopt, -1}, {"abc", "", 3, 1}, {"abc", "", 4, -1},
        {"abc", "c", 3, 3},            {"abc", "abcd", std::nullopt, -1}, {"", "a", std::nullopt, -1},
        {"abab", "ab", 2, 3},          {"abc", "a", 99, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(find_text(c.text, c.search, c.start), c.expected) << c.text << " / " << c.search;
    }
}

TEST(FindText, IgnoreCaseFoldsOnlyAsciiLetters) {
    EXPECT_EQ(find_text("x: Accept: y", "ACCEPT", std::nullopt, true), 4);
    EXPECT_EQ(find_text("x: Accept: y", "ACCEPT"), -1);
    EXPECT_EQ(find_text("Größe", "GRÖSSE", std::nullopt, true), -1);  // ASCII letters only
    EXPECT_EQ(find_text("xGrößE", "größe", std::nullopt, true), 2);
    EXPECT_EQ(find_text("Ä", "ä", std::nullopt, true), -1);
}

TEST(FindText, StepsOverWholeCharacters) {
    EXPECT_EQ(find_text(kZhong, "\xAD"), -1);  // never inside a character
    EXPECT_EQ(find_text("中文", "文"), 4);
    EXPECT_EQ(find_text("a乗\\", "\\"), 5);
    EXPECT_EQ(find_text(kCutOff, "x"), -1);
    EXPECT_EQ(find_text(kCutOff + "x", "x"), 5);  // a cut-off character takes no ASCII byte with it
    // Starting inside a character scans from there as if a character began there.
    EXPECT_EQ(find_text(kZhong, "\xAD", 3), 3);
    EXPECT_EQ(find_text("안녕😀!", "!"), 11);
}

TEST(SplitText, PiecesDelimitersAndMaximum) {
    struct Case { Text text; std::optional<Text> delimiter; std::optional<int> maximum; Texts expected; };
    const Case cases[] = {
        {",a,,b,", ",", std::nullopt, {"", "a", "", "b"}},
        {"a,b,c", std::nullopt, std::nullopt, {"a", "b", "c"}},
        {"a,b,c", ",", 2, {"a", "b"}},
        {"a,b,c", "", std::nullopt, {"a,b,c"}},
        {",,,", ",", std::nullopt, {"", "", ""}},
        {"abc", ",", std::nullopt, {"abc"}},
        {"a,b", ",", 1, {"a"}},
        {"a,b", ",", 0, {}},
        {"a,b", ",", -3, {}},
        {"", ",", std::nullopt, {}},
        {"a\r\n\r\nb\r\n", "\r\n", std::nullopt, {"a", "", "b"}},
        {"a,b", ",", 5, {"a", "b"}},
    };
    for (const Case& c : cases) EXPECT_EQ(split_text(c.text, c.delimiter, c.maximum), c.expected) << c.text;
}

TEST(SplitText, DelimiterNeverMatchesInsideACharacter) {
    EXPECT_EQ(split_text("你好，世界。再见", "。"), (Texts{"你好，世界", "再见"}));
    EXPECT_EQ(split_text(kCutOff, ","), Texts{kCutOff});
    EXPECT_EQ(split_text("a\xE4,b", ","), (Texts{"a\xE4", "b"}));  // a broken lead byte takes no comma
    EXPECT_EQ(split_text("안녕|😀|x", "|"), (Texts{"안녕", "😀", "x"}));
}

TEST(Spans, LeftRightMidClampAndCutPairs) {
    EXPECT_EQ(mid_text("abc", 2, 10), "bc");
    EXPECT_EQ(mid_text("abc", 4, 1), "");
    EXPECT_EQ(mid_text("abc", 0, 2), "");
    EXPECT_EQ(mid_text("abc", 1, 0), "");
    EXPECT_EQ(mid_text("abc", 1, -1), "");
    EXPECT_EQ(mid_text(kZhong, 2, 1), "\xB8");
    EXPECT_EQ(left_text("abc", 2), "ab");
    EXPECT_EQ(left_text("abc", 9), "abc");
    EXPECT_EQ(left_text("abc", 0), "");
    EXPECT_EQ(left_text(kZhong, 1), "\xE4");
    EXPECT_EQ(right_text("abc", 2), "bc");
    EXPECT_EQ(right_text("abc", -1), "");
    EXPECT_EQ(right_text("abc", 7), "abc");
    EXPECT_EQ(length_of_text(kZhong), 3);
    EXPECT_EQ(length_of_text(""), 0);
}

TEST(Spans, ReplaceSpanClampsAndInserts) {
    EXPECT_EQ(replace_span("http://abc/d", 1, 7), "abc/d");
    EXPECT_EQ(replace_span("abc", 2, 1, Text("XY")), "aXYc");
    EXPECT_EQ(replace_span("abc", 0, 1, Text("X")), "Xbc");
    EXPECT_EQ(replace_span("abc", 9, 1, Text("X")), "abcX");
    EXPECT_EQ(replace_span("abc", 2, 0, Text("X")), "aXbc");
    EXPECT_EQ(replace_span("abc", 2, -4), "abc");
    EXPECT_EQ(replace_span("abc", 2, 99), "a");
    EXPECT_EQ(replace_span("", 1, 1, Text("X")), "X");
}

TEST(Case, UpperLowerChangeAsciiLettersOnly) {
    EXPECT_EQ(to_upper("abz{"), "ABZ{");
    EXPECT_EQ(to_lower("ABZ@"), "abz@");
    EXPECT_EQ(to_upper("größe"), "GRößE");
    EXPECT_EQ(to_lower("ÄÖÜ X"), "ÄÖÜ x");
    EXPECT_EQ(to_upper("a\xE4"), "A\xE4");
}

TEST(Trim, LeadingAsciiAndIdeographicSpacesOnly) {
    EXPECT_EQ(trim_leading_spaces("  \u3000 x "), "x ");
    EXPECT_EQ(trim_leading_spaces("\tx"), "\tx");
    EXPECT_EQ(trim_leading_spaces("\r\nx"), "\r\nx");
    EXPECT_EQ(trim_leading_spaces("   "), "");
    EXPECT_EQ(trim_leading_spaces("\xE3\x80"), "\xE3\x80");
    EXPECT_EQ(trim_leading_spaces("\u00A0x"), "\u00A0x");  // a no-break space is no space here
}

TEST(Compare, CaseAndCodePointOrder) {
    EXPECT_EQ(compare_texts("abc", "abc", true), 0);
    EXPECT_LT(compare_texts("ABC", "abc", true), 0);
    EXPECT_EQ(compare_texts("ABC", "abc", false), 0);
    EXPECT_LT(compare_texts("ab", "abc", false), 0);
    EXPECT_GT(compare_texts("b", "a", true), 0);
    EXPECT_GT(compare_texts("中", "a", true), 0);  // compared as unsigned bytes
    EXPECT_GT(compare_texts("😀", "中", true), 0);  // which is code point order
    EXPECT_NE(compare_texts("Ä", "ä", false), 0);
}

TEST(Codes, CharFromCodeCodeOfCharHexSpaces) {
    EXPECT_EQ(char_from_code(0), "");
    EXPECT_EQ(char_from_code(65), "A");
    EXPECT_EQ(char_from_code(0x141), "A");
    EXPECT_EQ(code_of_char("中"), -28);
    EXPECT_EQ(code_of_char("中", 3), -83);
    EXPECT_EQ(code_of_char(""), 0);
    EXPECT_EQ(code_of_char("ab", 3), 0);
    EXPECT_EQ(code_of_char("ab", 0), 0);
    EXPECT_EQ(hex_text(9), "9");
    EXPECT_EQ(hex_text(255), "FF");
    EXPECT_EQ(hex_text(-1), "FFFFFFFF");
    EXPECT_EQ(hex_text(0), "0");
    EXPECT_EQ(spaces_text(3), "   ");
    EXPECT_EQ(spaces_text(0), "");
    EXPECT_EQ(spaces_text(-2), "");
}

TEST(Numbers, ToNumberReadsTheLongestPrefix) {
    struct Case { Text text; double expected; };
    const Case cases[] = {
        {"８０８０", 8080},  {"", 0},       {"abc", 0},        {"  42x", 42},     {"-3.5", -3.5},
        {"+7", 7},           {"1e3", 1000}, {"1e", 1},         {".5", 0.5},       {"5.", 5},
        {"－１２．５", -12.5}, {"inf", 0},  {"0x10", 0},       {"\u3000" "9", 9}, {".", 0},
        {"-", 0},            {"1e+2z", 100}, {"12:34", 12},  {"１ｅ２", 100},   {"＋３", 3},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(to_number(c.text), c.expected) << c.text;
}

TEST(Conversions, ToTextAndBytes) {
    EXPECT_EQ(to_text(Bytes{0x41, 0x42, 0x00, 0x43}), "AB");
    EXPECT_EQ(to_text(Bytes{0x41, 0x42}), "AB");
    EXPECT_EQ(to_text(Bytes{}), "");
    EXPECT_EQ(to_text(-17), "-17");
    EXPECT_EQ(to_bytes("a中"), (Bytes{'a', 0xE4, 0xB8, 0xAD}));
    EXPECT_EQ(to_bytes(""), Bytes{});
}

TEST(ByteBuffers, SpansFindAndZeros) {
    const Bytes data{1, 2, 3, 2, 3};
    EXPECT_EQ(bytes_length(data), 5);
    EXPECT_EQ(left_bytes(data, 2), (Bytes{1, 2}));
    EXPECT_EQ(left_bytes(data, 0), Bytes{});
    EXPECT_EQ(left_bytes(data, -1), Bytes{});
    EXPECT_EQ(left_bytes(data, 9), data);
    EXPECT_EQ(right_bytes(data, 2), (Bytes{2, 3}));
    EXPECT_EQ(right_bytes(data, -1), Bytes{});
    EXPECT_EQ(find_bytes(data, {2, 3}), 2);
    EXPECT_EQ(find_bytes(data, {2, 3}, 3), 4);
    EXPECT_EQ(find_bytes(data, {2, 3}, -4), 2);
    EXPECT_EQ(find_bytes(data, {}), -1);
    EXPECT_EQ(find_bytes(data, {3}, 6), -1);
    EXPECT_EQ(find_bytes(data, {9}), -1);
    EXPECT_EQ(zero_bytes(3), (Bytes{0, 0, 0}));
    EXPECT_EQ(zero_bytes(-1), Bytes{});
}

TEST(ByteBuffers, ReadValuesLittleEndianWithPadding) {
    EXPECT_EQ(std::get<std::int64_t>(read_bytes_value({0xFF}, ValueType::int32)), 255);
    EXPECT_EQ(std::get<std::int64_t>(read_bytes_value({0xFF, 0xFF}, ValueType::int16)), -1);
    EXPECT_EQ(std::get<std::int64_t>(read_bytes_value({9, 0x34, 0x12}, ValueType::int16, 2)), 0x1234);
    EXPECT_EQ(std::get<std::int64_t>(read_bytes_value({}, ValueType::byte)), 0);
    EXPECT_EQ(std::get<bool>(read_bytes_value({0, 1}, ValueType::boolean)), true);
    EXPECT_DOUBLE_EQ(std::get<double>(read_bytes_value({0, 0, 0x80, 0x3F}, ValueType::float32)), 1.0);
    EXPECT_EQ(std::get<Text>(read_bytes_value({'x', 'a', 'b', 0, 'c'}, ValueType::text, 2)), "ab");
}
