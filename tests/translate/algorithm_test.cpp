#include <gtest/gtest.h>

#include <map>

#include "translate/algorithm.h"
#include "translate/languages.h"

using namespace translate;

namespace {

// Records every call and answers from a table (or "<piece>" when the piece is not in it).
struct FakeTranslator {
    std::map<Text, Text> answers;
    std::vector<std::pair<Text, bool>> calls;

    PieceTranslator function() {
        return [this](const Text& piece, bool with_dictionary) {
            calls.emplace_back(piece, with_dictionary);
            auto found = answers.find(piece);
            return found != answers.end() ? found->second : "<" + piece + ">";
        };
    }
    std::vector<Text> pieces() const {
        std::vector<Text> result;
        for (auto& call : calls) result.push_back(call.first);
        return result;
    }
};

}  // namespace

TEST(Punctuation, CommaAndPeriodPasses) {
    EXPECT_EQ(comma_pass("a,,b"), "a，，b");
    EXPECT_EQ(comma_pass("\x81,x"), "\x81,x");  // the comma is the second byte of a (bad) pair
    struct Case { Text text, expected; };
    const Case cases[] = {
        {"3.14", "3.14"},     {"a.b", "a.b"},       {"end. Next", "end. Next"}, {"你好.", "你好。"},
        {".x", "。x"},        {"x.", "x。"},        {"..", "。。"},             {"a..b", "a..b"},
        {"中.a", "中。a"},    {"", ""},             {"\x81\x5C.a", "\x81\x5C.a"},  // 乗's trail byte is 5C
        {"a.\xD6\xD0", "a。\xD6\xD0"},
    };
    for (const Case& c : cases) EXPECT_EQ(period_pass(c.text), c.expected) << c.text;
}

TEST(TranslateText, SingleLineGoesWholeWithDictionary) {
    FakeTranslator fake;
    fake.answers["Hello， world。"] = "你好，世界";
    EXPECT_EQ(translate_text("Hello, world.", fake.function()), Text("你好，世界"));
    ASSERT_EQ(fake.calls.size(), 1u);
    EXPECT_TRUE(fake.calls[0].second);

    FakeTranslator trailing;
    translate_text("Hi\r\n\r\n", trailing.function());
    EXPECT_EQ(trailing.calls, (std::vector<std::pair<Text, bool>>{{"Hi", true}}));
}

TEST(TranslateText, SeveralLinesGoClauseByClause) {
    FakeTranslator fake;
    fake.answers = {{"你好", "Hello"}, {"世界", "World"}, {"再见", "Goodbye"}};
    EXPECT_EQ(translate_text("你好，世界。\r\n再见", fake.function()), Text("Hello,World.\r\nGoodbye.\r\n"));
    EXPECT_EQ(fake.pieces(), (std::vector<Text>{"你好", "世界", "再见"}));
    for (auto& call : fake.calls) EXPECT_FALSE(call.second);

    FakeTranslator lines;
    lines.answers = {{"A", "X"}, {"B", "Y"}};
    EXPECT_EQ(translate_text("A\r\n\r\nB", lines.function()), Text("X.\r\n\r\nY.\r\n"));

    FakeTranslator leading;
    leading.answers = {{"Hi", "嗨"}};
    EXPECT_EQ(translate_text("\r\nHi", leading.function()), Text("\r\n嗨.\r\n"));
    // Empty lines at the end go; those before or between lines with text stay.
    EXPECT_EQ(translate_text("\r\n\r\nA\r\n\r\nB\r\n\r\n\r\n", lines.function()), Text("\r\n\r\nX.\r\n\r\nY.\r\n"));
    FakeTranslator single;
    EXPECT_EQ(translate_text("A\r\n\r\n\r\n", single.function()), Text("<A>"));
    EXPECT_EQ(single.calls, (std::vector<std::pair<Text, bool>>{{"A", true}}));
}

TEST(TranslateText, SentencesOfSpacesAreSkippedButEmptyClausesAreSent) {
    FakeTranslator fake;
    auto result = translate_text("a。 \xA1\xA1 。b，，c\r\nd", fake.function());
    EXPECT_EQ(fake.pieces(), (std::vector<Text>{"a", "b", "", "c", "d"}));
    EXPECT_EQ(result, Text("<a>.<b>,<>,<c>.\r\n<d>.\r\n"));

    FakeTranslator spaces;
    EXPECT_EQ(translate_text("  \r\nx", spaces.function()), Text("\r\n<x>.\r\n"));
}

TEST(TranslateText, NothingToTranslate) {
    FakeTranslator fake;
    EXPECT_EQ(translate_text("", fake.function()), std::nullopt);
    EXPECT_EQ(translate_text("\r\n\r\n", fake.function()), std::nullopt);
    EXPECT_TRUE(fake.calls.empty());
}

TEST(TranslateText, CleanUpDoesNotReexamineWhatItInserted) {
    FakeTranslator fake;
    fake.answers = {{"a", ","}, {"b", "x"}};
    // "a" translates to ",": ",,." collapses once to ",." and is left so.
    EXPECT_EQ(translate_text("a\r\nb", fake.function()), Text(",.\r\nx.\r\n"));
    // Back-to-back pairs all go; a comma that is the second byte of a double-byte character is
    // not the start of a pair; a translation ending in "," keeps it (",,." loses one comma).
    fake.answers = {{"a", "x,.,.y"}, {"b", "\x81,.z"}, {"c", "end,"}};
    EXPECT_EQ(translate_text("a\r\nb", fake.function()), Text("x..y.\r\n\x81,.z.\r\n"));
    EXPECT_EQ(translate_text("c\r\n\r\nc", fake.function()), Text("end,.\r\n\r\nend,.\r\n"));
}


TEST(AutomaticRecognition, FirstByteDecides) {
    struct Case { Text text; LanguagePair before, after; };
    const Case cases[] = {
        {"你好", {2, 0}, {0, 2}}, {"你好", {5, 7}, {0, 7}}, {"Hi", {0, 2}, {2, 0}},
        {"Hi", {0, 9}, {2, 9}},   {"\x7F", {2, 0}, {0, 2}}, {"~", {0, 0}, {2, 0}},
        {"", {5, 6}, {5, 6}},
    };
    for (const Case& c : cases) {
        LanguagePair pair = recognise_languages(c.text, c.before);
        EXPECT_EQ(pair.source, c.after.source) << c.text;
        EXPECT_EQ(pair.target, c.after.target) << c.text;
    }
}

TEST(Languages, LookupGoesByNameNotIndex) {
    EXPECT_STREQ(code_for_name("英语"), "en");
    EXPECT_STREQ(code_for_name("中文(繁体)"), "zh-TW");
    EXPECT_STREQ(code_for_name("越南语"), "vi");
    EXPECT_STREQ(code_for_name("韩语"), "ko");
    EXPECT_EQ(code_for_name("自动检测"), nullptr);
    EXPECT_STREQ(code_for_name("自动检测", true), "auto");
    EXPECT_EQ(code_for_name(""), nullptr);
    EXPECT_EQ(code_for_name("英语 "), nullptr);
    auto names = list_languages();
    ASSERT_EQ(names.size(), 37u);
    EXPECT_EQ(names[0], "中文(简体)");
    EXPECT_EQ(names[4], "韩语");
    EXPECT_EQ(names[5], "越南语");
    EXPECT_EQ(names[36], "印地语");
    for (const Text& name : names) EXPECT_NE(code_for_name(name), nullptr) << name;
    EXPECT_EQ(language_table().size(), 38u);
}

TEST(TranslateText, TenMebibytesInOneLineAndInManyLines) {
    size_t calls = 0;
    PieceTranslator echo = [&](const Text& piece, bool) {
        ++calls;
        return piece;
    };
    Text single(10 << 20, 'a');
    single.back() = '\xD6';  // and a lone lead byte at the very end
    auto whole = translate_text(single, echo);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->size(), single.size());
    EXPECT_EQ(calls, 1u);

    calls = 0;
    Text lines;
    size_t line_count = 0;
    for (; lines.size() < (10u << 20); ++line_count) lines += "你好，世界。a,b.\r\n";
    auto clauses = translate_text(lines, echo);
    ASSERT_TRUE(clauses);
    EXPECT_EQ(calls, line_count * 4);  // 你好, 世界, a and "b." (the period before CR stays)
}
