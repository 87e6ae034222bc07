#include <gtest/gtest.h>

#include "translate/reply.h"

using namespace translate;

namespace {

const Text kHello =
    "[[[\"Hello\",\"你好\",\"\",\"\"]],[[\"感叹词\",[\"hello\",\"hi\",\"how do you do\"]]],\"zh-CN\",,"
    "[[\"Hello\",[5],1,0,1000,0,1,0]],0]";
const Text kTwoSentences =
    "[[[\"Good morning. \",\"早上好。\",\"\",\"\"],[\"How are you?\",\"你好吗？\",\"\",\"\"]],,\"zh-CN\",,[[0]],0]";
const Text kPrint =
    "[[[\"打印\",\"print\",\"\",\"\"]],[[\"名词\",[\"打印\",\"印刷品\"]],[\"动词\",[\"打印\"]]],\"en\",,[[0]],0]";

}  // namespace

TEST(ReplyCutting, WorkedExamples) {
    EXPECT_EQ(cut_translation_with_dictionary(kHello, "zh-CN"), "Hello\r\n\r\n感叹词: 1.hello  2.hi  3.how do you do  ");
    EXPECT_EQ(cut_translation(kHello), "Hello");
    EXPECT_EQ(cut_translation_with_dictionary(kTwoSentences, "zh-CN"), "Good morning. How are you?");
    EXPECT_EQ(cut_translation(kTwoSentences), "Good morning. How are you?");
    EXPECT_EQ(cut_translation_with_dictionary(kPrint, "en"), "打印\r\n\r\n名词: 1.打印  2.印刷品  \r\n\r\n动词: 打印\r\n\r\n");
    EXPECT_EQ(cut_translation(kPrint), "打印");
}

TEST(ReplyCutting, EmptyAndUnbracketedRepliesGiveTheBareHeading) {
    for (const Text& reply : {Text(), Text("<html><head><title>Error 429</title></head><body>Sorry</body></html>"),
                              Text("\x01\xFF garbage")}) {
        EXPECT_EQ(cut_translation(reply), "") << reply;
        EXPECT_EQ(cut_translation_with_dictionary(reply, "en"), "\r\n\r\n字典: ") << reply;
    }
}

TEST(ReplyCutting, MissingMarkersOnlyMakeSpansEmpty) {
    // Without "[[[" the sentence list starts at position 2.
    EXPECT_EQ(cut_translation("x\"ab\",\"c]],"), "ab");
    // No dictionary end after the dictionary start: the bare heading.
    EXPECT_EQ(cut_translation_with_dictionary("[[[\"a\",\"b\"]],[[\"n\",[\"w\"]]]", "en"), "a\r\n\r\n字典: ");
}

TEST(ReplyCutting, LanguageCodeThatDiffersFromTheOneSentShowsTheHeading) {
    const Text reply = "[[[\"Hi\",\"嗨\",\"\",\"\"]],,\"en\",,[[0]],0]";
    EXPECT_EQ(cut_translation_with_dictionary(reply, "en"), "Hi");
    EXPECT_EQ(cut_translation_with_dictionary(reply, "zh-CN"), "Hi\r\n\r\n字典: ");
}

TEST(ReplyCutting, WordRule) {
    // One word: no number, no spaces.
    EXPECT_EQ(cut_translation_with_dictionary("[[[\"a\",\"b\",\"\",\"\"]],[[\"名词\",[\"x\"]]],\"en\",,0]", "zh-CN"),
              "a\r\n\r\n名词: x");
    // An empty part of speech gets the heading.
    EXPECT_EQ(cut_translation_with_dictionary("[[[\"a\",\"b\",\"\",\"\"]],[[\"\",[\"hello\",\"hi\"]]],\"en\",,0]", "zh-CN"),
              "a\r\n\r\n字典: 1.hello  2.hi  ");
    // Among several entries it appends the heading after what the earlier entries made.
    EXPECT_EQ(cut_translation_with_dictionary(
                  "[[[\"a\",\"b\",\"\",\"\"]],[[\"名词\",[\"x\",\"y\"]],[\"\",[\"z\"]]],\"en\",,0]", "zh-CN"),
              "a\r\n\r\n名词: 1.x  2.y  \r\n\r\n字典: z\r\n\r\n");
    // A word holding a comma counts as two words and shifts what is read: nothing checks them.
    EXPECT_EQ(cut_translation_with_dictionary("[[[\"a\",\"b\",\"\",\"\"]],[[\"n\",[\"x,y\"]]],\"en\",,0]", "zh-CN"),
              "a\r\n\r\nn: 1.x,y  2.  ");
}

TEST(ReplyCutting, NoEscapeIsInterpreted) {
    const Text reply = "[[[\"say \\\"hi\\\" \\u003c\",\"x\",\"\",\"\"]],,\"en\",,0]";
    EXPECT_EQ(cut_translation(reply), "say \\\"hi\\\" \\u003c");
    const Text backslash = "[[[\"a\\\\b\",\"x\",\"\",\"\"]],,\"en\",,0]";
    EXPECT_EQ(cut_translation(backslash), "a\\\\b");
}

TEST(ReplyCutting, ManySentencesJoinWithoutSeparator) {
    Text reply = "[[";
    Text expected;
    for (int i = 0; i < 100000; ++i) {
        reply += Text(i ? "," : "") + "[\"s" + std::to_string(i) + " \",\"x\",\"\",\"\"]";
        expected += "s" + std::to_string(i) + " ";
    }
    reply += "],,\"en\",,[[0]],0]";
    EXPECT_EQ(cut_translation(reply), expected);
}

TEST(ResultStructure, TheClassicDisplayFromTheStructureEveryEngineFills) {
    using engines::Dictionary;
    using engines::PieceTranslation;
    EXPECT_EQ(display_text(PieceTranslation{"Hello", std::nullopt}), "Hello");
    // One entry ends with its words; several are each followed by a blank line.
    EXPECT_EQ(display_text(PieceTranslation{"Hello", Dictionary{{{"感叹词", {"hello", "hi"}}}, false}}),
              "Hello\r\n\r\n感叹词: 1.hello  2.hi  ");
    EXPECT_EQ(display_text(PieceTranslation{"打印", engines::dictionary_of({{"名词", {"打印", "印刷品"}}, {"动词", {"打印"}}})}),
              cut_translation_with_dictionary(kPrint, "en"));
    // No part of speech: the heading; one word: no number.
    EXPECT_EQ(display_text(PieceTranslation{"", Dictionary{{{"", {}}}, false}}), "\r\n\r\n字典: ");
    EXPECT_EQ(display_text(PieceTranslation{"x", Dictionary{{{"名词", {"a,b\"c"}}}, false}}), "x\r\n\r\n名词: a,b\"c");
    // The cutting gives the structure the display is made of.
    PieceTranslation hello = cut_reply(kHello, "zh-CN", true);
    EXPECT_EQ(hello.text, "Hello");
    ASSERT_TRUE(hello.dictionary);
    EXPECT_EQ(hello.dictionary->entries[0].words, (std::vector<Text>{"hello", "hi", "how do you do"}));
    EXPECT_FALSE(cut_reply(kTwoSentences, "zh-CN", true).dictionary);
    EXPECT_FALSE(cut_reply(kHello, "zh-CN", false).dictionary);
}

TEST(ReplyCutting, ADetectedSourceHasNoDictionaryWhenTheSlotIsEmpty) {
    const Text reply = "[[[\"你好\",\"Привет\",\"\",\"\"]],,\"ru\",,[[0]],0]";
    EXPECT_EQ(cut_translation_with_dictionary(reply, "auto"), "你好");
    EXPECT_EQ(cut_translation_with_dictionary(kPrint, "auto"), cut_translation_with_dictionary(kPrint, "en"));
}
