#include <gtest/gtest.h>

#include "runtime/utf.h"

using namespace runtime;

TEST(Utf, EveryScriptOfTheListsRoundTrips) {
    const std::string texts[] = {
        "",          "ascii only",  "中文(简体)", "繁體中文", "日本語かなカナ", "안녕하세요 세계", "Tiếng Việt",
        "Shqip ë ç", "العربية",     "Azərbaycan", "Gaeilge á", "Eesti õ ä",       "Беларуская ў",    "Български",
        "Íslenska ð þ", "Polski ł ż", "فارسی",    "Dansk æ ø å", "Größe",        "Русский",         "Français œ",
        "Filipino ñ", "Suomi ä ö",  "ქართული",  "ગુજરાતી", "Kreyòl", "Nederlands ĳ", "Latina", "Română ș ț",
        "Bahasa Melayu", "Português ã", "Svenska", "ไทย", "Українська ї", "Ελληνικά", "Español ¿¡ñ", "Italiano",
        "हिन्दी",      "😀🚀 outside the BMP", "\u0001\u007F",
    };
    for (const std::string& text : texts) {
        std::u16string units = utf8_to_utf16(text);
        EXPECT_EQ(utf16_to_utf8(units), text);
        EXPECT_TRUE(is_valid_utf8(text)) << text;
        EXPECT_EQ(valid_utf8(text), text);
    }
}

TEST(Utf, LengthsInUnitsAndBytes) {
    EXPECT_EQ(utf8_to_utf16("a"), u"a");
    EXPECT_EQ(utf8_to_utf16("é"), u"\u00E9");
    EXPECT_EQ(utf8_to_utf16("中"), u"\u4E2D");
    EXPECT_EQ(utf8_to_utf16("😀").size(), 2u);  // a surrogate pair
    EXPECT_EQ(utf8_to_utf16("😀"), std::u16string({0xD83D, 0xDE00}));
    EXPECT_EQ(utf16_to_utf8(u"\u4E2D").size(), 3u);
    EXPECT_EQ(utf8_of(0x1F600), "😀");
    EXPECT_EQ(utf8_of(0x41), "A");
    EXPECT_EQ(utf8_of(0xD800), "\uFFFD");
    EXPECT_EQ(utf8_of(0x110000), "\uFFFD");
    std::string text = std::string("a\0b", 3);  // a NUL inside a text is a character like any other
    EXPECT_EQ(utf16_to_utf8(utf8_to_utf16(text)), text);
}

TEST(Utf, InvalidUtf8BecomesOneReplacementPerBrokenPiece) {
    struct Case { std::string bytes, expected; };
    const Case cases[] = {
        {"\xFF", "\uFFFD"},                       // never a UTF-8 byte
        {"a\x80" "b", "a\uFFFD" "b"},             // a lone continuation byte
        {"\xE4\xB8", "\uFFFD"},                   // cut off at the end: one replacement
        {"\xE4\xB8" "a", "\uFFFD" "a"},           // cut off before an ASCII character, which is kept
        {"\xE4\xB8\xE4\xB8\xAD", "\uFFFD中"},     // cut off before a whole character, which is kept
        {"\xC0\xAF", "\uFFFD\uFFFD"},             // an overlong "/"
        {"\xE0\x80\xAF", "\uFFFD\uFFFD\uFFFD"},   // an overlong form of three bytes
        {"\xED\xA0\x80", "\uFFFD\uFFFD\uFFFD"},   // an encoded surrogate
        {"\xF4\x90\x80\x80", "\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
        {"\xF0\x9F\x98", "\uFFFD"},               // an emoji cut off
        {"ok\xEF\xBF\xBD", "ok\uFFFD"},           // a replacement character that was sent is kept
    };
    for (const Case& c : cases) {
        EXPECT_EQ(valid_utf8(c.bytes), c.expected) << c.bytes;
        EXPECT_EQ(utf16_to_utf8(utf8_to_utf16(c.bytes)), c.expected) << c.bytes;
        EXPECT_EQ(is_valid_utf8(c.bytes), c.bytes == c.expected) << c.bytes;
    }
}

TEST(Utf, UnpairedSurrogatesBecomeReplacements) {
    EXPECT_EQ(utf16_to_utf8(std::u16string({0xD83D})), "\uFFFD");             // a lead surrogate at the end
    EXPECT_EQ(utf16_to_utf8(std::u16string({0xD83D, 'a'})), "\uFFFDa");        // followed by no trail
    EXPECT_EQ(utf16_to_utf8(std::u16string({0xDE00, 0xD83D})), "\uFFFD\uFFFD");  // trail before lead
    EXPECT_EQ(utf16_to_utf8(std::u16string({'x', 0xDE00, 'y'})), "x\uFFFDy");
    EXPECT_EQ(utf16_to_utf8(std::u16string({0xD83D, 0xD83D, 0xDE00})), "\uFFFD😀");
}

TEST(Utf, CodePointsAreReadOneAfterAnother) {
    std::string text = "a中😀\xFF";
    size_t at = 0;
    EXPECT_EQ(code_point_at(text, at), U'a');
    EXPECT_EQ(code_point_at(text, at), U'\u4E2D');
    EXPECT_EQ(code_point_at(text, at), U'\U0001F600');
    EXPECT_EQ(code_point_at(text, at), U'\uFFFD');
    EXPECT_EQ(at, text.size());
}
