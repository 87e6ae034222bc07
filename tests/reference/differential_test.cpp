// The UTF-8 program against the classic GBK code (tests/reference), on the examples the classic
// behaviour is specified by, on the replies the other tests use, and on random texts GBK holds.
#include <gtest/gtest.h>

#include <random>

#include "net/url.h"
#include "tests/reference/differential.h"
#include "tests/reference/gbk_classic.h"
#include "translate/algorithm.h"

using differential::check_reply;
using differential::check_source;
using gbk_classic::to_gbk;

namespace {

// Texts written in UTF-8 here, checked in their GBK form.
std::string check(const std::string& utf8_source) {
    EXPECT_TRUE(gbk_classic::gbk_can_hold(utf8_source)) << utf8_source;
    return check_source(to_gbk(utf8_source));
}

// A random valid GBK double-byte character; trail bytes that equal ASCII marks come often.
std::string random_pair(std::mt19937& random) {
    static const unsigned char kMarkTrails[] = {0x5B, 0x5C, 0x5D, 0x7C, 0x40, 0x60, 0x7E, 0x5F};
    for (;;) {
        auto lead = static_cast<char>(std::uniform_int_distribution<int>(0x81, 0xFE)(random));
        int trail = random() % 3 == 0 ? kMarkTrails[random() % sizeof kMarkTrails]
                                      : std::uniform_int_distribution<int>(0x40, 0xFE)(random);
        std::string pair{lead, static_cast<char>(trail)};
        if (trail != 0x7F && differential::is_well_formed_gbk(pair)) return pair;
    }
}

std::string random_gbk_text(std::mt19937& random) {
    static const char* const kPieces[] = {
        "a", "Hi", "3", " ", ",", ".", "\r\n", "\r", "\n", "\"", "[", "]", "\x7F", "\t", "%", "+",
        "\xA3\xAC", "\xA1\xA3", "\xA1\xA1", "\xD6\xD0", "\xC4\xE3\xBA\xC3", "\xA6\xC1", "\xA4\xA2", "\xA8\xA6",
        "http://", "HTTP://", "x.com/",
    };
    std::string text;
    int length = std::uniform_int_distribution<int>(0, 40)(random);
    for (int i = 0; i < length; ++i) {
        text += random() % 4 == 0 ? random_pair(random) : std::string(kPieces[random() % std::size(kPieces)]);
    }
    return text;
}

}  // namespace

TEST(Differential, TheSpecifiedExamplesAgree) {
    for (const char* source :
         {"你好，世界。\r\n再见", "Hello, world.", "Hi\r\n\r\n", "A\r\n\r\nB", "\r\nHi", "a,,b", "3.14", "你好.",
          "end. Next", "Hi", "你好", "。 。\r\nx", "，a，\r\n，", "", "\r\n\r\n", "x。", "http://abc/d", "HTTP://abc",
          "Http://abc", "https://abc", "  http://abc", "0123456789http://x", "a\r\n\r\nb", "\r\n", "中文(繁体)"}) {
        EXPECT_EQ(check(source), "") << source;
    }
}

TEST(Differential, TheRepliesOfTheTestsAgree) {
    const std::string replies[] = {
        R"([[["Hello","你好","",""]],[["感叹词",["hello","hi","how do you do"]]],"zh-CN",,[["Hello",[5],1,0,1000,0,1,0]],0])",
        R"([[["Good morning. ","早上好。","",""],["How are you?","你好吗？","",""]],,"zh-CN",,[[0]],0])",
        R"([[["打印","print","",""]],[["名词",["打印","印刷品"]],["动词",["打印"]]],"en",,[[0]],0])",
        R"([[["你好","Hi","",""]],[["感叹词",["你好","嗨"]]],"en",,[["Hi",[5],1,0,1000,0,1,0]],0])",
        R"([[["Hi","嗨","",""]],,"en",,[[0]],0])",
        "", "<html><head><title>Error 429</title></head><body>Sorry</body></html>", "x\"ab\",\"c]],",
        R"([[["a","b"]],[["n",["w"]]])", R"([[["a","b","",""]],[["",["hello","hi"]]],"zh-CN",,[[0]],0])",
        R"([[["a, b","c","",""]],[["名词",["x,y","z"]],["",["w"]]],"en",,[[0]],0])",
        "%5B%5B%5B%22%E4%BD%A0%E5%A5%BD%22%2C%22Hi%22%5D%5D%2C%2C%22en%22%5D", "%E4%BD%A0%00%E5%A5%BD",
        "[[[\"\xE4\xBD\",\"x\"]],,\"en\"]", "a+b%2", R"([[["乗","]\\","",""]],[["[乗]",["乗]","\\"]]],"ja",,0])",
    };
    for (const std::string& reply : replies) {
        for (const char* code : {"zh-CN", "en", "ja", ""}) EXPECT_EQ(check_reply(reply, code), "") << reply << " " << code;
    }
    std::string many = "[[";
    for (int i = 0; i < 300; ++i) many += std::string(i ? "," : "") + "[\"句" + std::to_string(i) + "\",\"s\",\"\",\"\"]";
    EXPECT_EQ(check_reply("[" + many + "]],,\"zh-CN\",,[[0]],0]", "zh-CN"), "");
}

TEST(Differential, RandomTextsGbkHoldsAgree) {
    std::mt19937 random(20261210);
    for (int i = 0; i < 20000; ++i) {
        std::string text = random_gbk_text(random);
        ASSERT_EQ(check_source(text), "") << gbk_classic::to_utf8(text);
        // The same text inside a reply's quoted strings, escaped and not.
        std::string utf8 = gbk_classic::to_utf8(text);
        std::string reply = "[[[\"" + utf8 + "\",\"x\",\"\",\"\"]],[[\"" + utf8 + "\",[\"" + utf8 + "\",\"w\"]]],\"en\",,0]";
        ASSERT_EQ(check_reply(reply, "en"), "") << reply;
        ASSERT_EQ(check_reply(net::url_encode(reply), "zh-CN"), "") << reply;
    }
}

TEST(Differential, WhatTheClassicCodeMisreadIsMended) {
    // 乗 is 81 5C: its trail byte looked like an ASCII neighbour and kept the period.
    EXPECT_EQ(gbk_classic::period_pass("\x81\x5C.a"), "\x81\x5C.a");
    EXPECT_EQ(translate::period_pass("乗.a"), "乗。a");
    // Greek, kana and pinyin letters are double-byte in GBK and were taken for Chinese.
    EXPECT_EQ(gbk_classic::recognise_languages(to_gbk("αβ"), {2, 0}).source, 0);
    EXPECT_EQ(translate::recognise_languages("αβ", {2, 0}).rows.source, 33);  // 希腊语
    EXPECT_EQ(translate::recognise_languages("かな", {2, 0}).rows.source, 3);  // 日语
    EXPECT_TRUE(translate::recognise_languages("ā", {2, 0}).detect_source);
    // The euro sign is one byte (80) in code page 936, but the classic code took every byte from
    // 80 up for the lead of a pair and swallowed the character after it.
    EXPECT_EQ(gbk_classic::comma_pass("\x80,"), "\x80,");
    EXPECT_EQ(translate::comma_pass("€,"), "€，");
    EXPECT_EQ(gbk_classic::url_encode("\x80\x08"), "%E2%82%AC%08");
    EXPECT_EQ(net::url_encode("€\x08"), "%E2%82%AC\x08");
}
