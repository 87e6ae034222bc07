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
    EXPECT_EQ(comma_pass("中,x,"), "中，x，");
    struct Case { Text text, expected; };
    const Case cases[] = {
        {"3.14", "3.14"},     {"a.b", "a.b"},       {"end. Next", "end. Next"}, {"你好.", "你好。"},
        {".x", "。x"},        {"x.", "x。"},        {"..", "。。"},             {"a..b", "a..b"},
        {"中.a", "中。a"},    {"", ""},             {"乗.a", "乗。a"},  // whatever its bytes in other code pages
        {"a.中", "a。中"},    {"é.a", "é。a"},      {"a.😀", "a。😀"},     {"a\x7F.b", "a\x7F.b"},
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
    auto result = translate_text("a。 \u3000 。b，，c\r\nd", fake.function());
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
    // Back-to-back pairs all go, also after a character beyond ASCII; a translation ending in ","
    // keeps it (",,." loses one comma).
    fake.answers = {{"a", "x,.,.y"}, {"b", "中,.z"}, {"c", "end,"}};
    EXPECT_EQ(translate_text("a\r\nb", fake.function()), Text("x..y.\r\n中.z.\r\n"));
    EXPECT_EQ(translate_text("c\r\n\r\nc", fake.function()), Text("end,.\r\n\r\nend,.\r\n"));
}


TEST(AutomaticRecognition, TheFirstCharactersScriptDecides) {
    struct Case { Text text; LanguagePair before, after; bool detect; };
    const Case cases[] = {
        // Chinese: ideographs, CJK punctuation, full-width forms, symbols of Chinese text.
        {"你好", {2, 0}, {0, 2}, false}, {"你好", {5, 7}, {0, 7}, false}, {"。好", {2, 0}, {0, 2}, false},
        {"“引号”", {2, 5}, {0, 5}, false}, {"（一）", {2, 0}, {0, 2}, false}, {"①", {2, 0}, {0, 2}, false},
        {"ㄅㄆ", {2, 0}, {0, 2}, false}, {"𠀀", {2, 0}, {0, 2}, false}, {"\x7F", {2, 0}, {0, 2}, false},
        // English: any ASCII character.
        {"Hi", {0, 2}, {2, 0}, false}, {"Hi", {0, 9}, {2, 9}, false}, {"~", {0, 0}, {2, 0}, false},
        {" 你好", {0, 2}, {2, 0}, false},
        // A script that one language of the lists writes: that language, and a target equal to it
        // turns into Chinese.
        {"안녕하세요", {2, 0}, {4, 0}, false}, {"안녕", {2, 4}, {4, 0}, false}, {"こんにちは", {2, 0}, {3, 0}, false},
        {"カタカナ", {0, 3}, {3, 0}, false}, {"ｶﾀｶﾅ", {2, 0}, {3, 0}, false}, {"สวัสดี", {2, 0}, {31, 0}, false},
        {"Γειά", {2, 0}, {33, 0}, false}, {"नमस्ते", {2, 0}, {36, 0}, false}, {"નમસ્તે", {2, 0}, {23, 0}, false},
        {"გამარჯობა", {2, 0}, {22, 0}, false},
        // Scripts of several languages, and Latin letters with marks: detected by the service.
        {"Привет", {2, 0}, {2, 0}, true}, {"مرحبا", {5, 0}, {5, 0}, true}, {"Ärger", {2, 17}, {2, 17}, true},
        {"Über", {2, 0}, {2, 0}, true}, {"été", {2, 0}, {2, 0}, true}, {"ệ", {2, 0}, {2, 0}, true},
        {"ā", {2, 0}, {2, 0}, true}, {"¿Qué?", {2, 0}, {2, 0}, true}, {"שלום", {2, 0}, {2, 0}, true},
        {"😀 hi", {2, 0}, {2, 0}, true}, {"\xF0\x9F", {2, 0}, {2, 0}, true},
        {"", {5, 6}, {5, 6}, false},
    };
    for (const Case& c : cases) {
        Recognition recognition = recognise_languages(c.text, c.before);
        EXPECT_EQ(recognition.rows.source, c.after.source) << c.text;
        EXPECT_EQ(recognition.rows.target, c.after.target) << c.text;
        EXPECT_EQ(recognition.detect_source, c.detect) << c.text;
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
    single.back() = '\xE4';  // and a cut-off character at the very end
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
