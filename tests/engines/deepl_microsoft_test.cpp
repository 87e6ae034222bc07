// DeepL and Microsoft Translator: requests and replies as their documentation shows them, the codes
// of every language of the lists, the limits that batching keeps, broken replies and refusals, and
// Microsoft's dictionary lookup.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "engines/deepl.h"
#include "engines/microsoft.h"

using namespace engines;
using nlohmann::json;

namespace {

net::HttpReply reply(int status, const std::string& body) {
    return {status, runtime::Bytes(body.begin(), body.end()), 0};
}

std::string body_of(const net::HttpRequest& request) { return std::string(request.body.begin(), request.body.end()); }

Choice choice(const EngineRow& engine, const Text& address, const Text& key, const Text& region = "") {
    Choice made;
    made.engine = &engine;
    made.address = address;
    made.key = key;
    made.region = region;
    return made;
}

// A service that answers every request with what answer makes of it, and keeps the requests.
struct FakeService {
    std::vector<net::HttpRequest> requests;
    std::function<net::HttpReply(const net::HttpRequest&)> answer;
    net::HttpSend send() {
        return [this](const net::HttpRequest& request) {
            requests.push_back(request);
            return answer(request);
        };
    }
};

// DeepL's reply to a request: each text back as "T:" and the text.
net::HttpReply deepl_echo(const net::HttpRequest& request) {
    json sent = json::parse(body_of(request));
    json translations = json::array();
    for (const json& text : sent["text"]) {
        translations.push_back({{"detected_source_language", "EN"}, {"text", "T:" + text.get<std::string>()}});
    }
    return reply(200, json{{"translations", translations}}.dump());
}

net::HttpReply microsoft_echo(const net::HttpRequest& request) {
    json sent = json::parse(body_of(request));
    json items = json::array();
    for (const json& text : sent) {
        items.push_back({{"translations", json::array({{{"text", "T:" + text["Text"].get<std::string>()}, {"to", "x"}}})}});
    }
    return reply(200, items.dump());
}

// The codes of the lists' languages.
const char* const kListCodes[] = {"zh-CN", "zh-TW", "en", "ja", "vi", "ko", "sq", "ar", "az", "ga", "et", "be", "bg",
                                  "is",    "pl",    "fa", "af", "da", "de", "ru", "fr", "tl", "fi", "ka", "gu", "ht",
                                  "nl",    "la",    "ro", "ms", "pt", "sv", "th", "uk", "el", "es", "it", "hi"};

const Language kEnglish{"en", "英语"}, kChinese{"zh-CN", "中文(简体)"}, kTraditional{"zh-TW", "中文(繁体)"};

}  // namespace

TEST(DeepL, RequestsCarryTheKeyOnlyInItsHeader) {
    Choice deepl = choice(deepl::engine(), "https://api-free.deepl.com", "279a2e9d-83b3:fx");
    net::HttpRequest request = deepl::translation_request(deepl, {"Hello, world!", "第二句"}, "EN", "ZH-HANS");
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.url, "https://api-free.deepl.com/v2/translate");
    EXPECT_NE(request.headers.find("Authorization: DeepL-Auth-Key 279a2e9d-83b3:fx\r\n"), Text::npos);
    EXPECT_NE(request.headers.find("Content-Type: application/json"), Text::npos);
    EXPECT_EQ(body_of(request), u8R"({"source_lang":"EN","target_lang":"ZH-HANS","text":["Hello, world!","第二句"]})");
    EXPECT_EQ(body_of(request).find("279a2e9d"), std::string::npos);
    EXPECT_EQ(request.url.find("auth_key"), Text::npos);
    // The source to detect is not sent.
    EXPECT_EQ(body_of(deepl::translation_request(deepl, {"x"}, "", "DE")), R"({"target_lang":"DE","text":["x"]})");

    // The free plan's keys end in ":fx"; the address follows the key unless one is written.
    Settings settings;
    settings.translation.engine = "deepl";
    settings.translation.key = "abc:fx";
    EXPECT_EQ(translation_engine(settings).address, "https://api-free.deepl.com");
    settings.translation.key = "abc";
    EXPECT_EQ(translation_engine(settings).address, "https://api.deepl.com");
    settings.translation.address = "deepl.proxy.example/";
    EXPECT_EQ(translation_engine(settings).address, "https://deepl.proxy.example");
    settings.translation.key = "";
    EXPECT_NE(translation_engine(settings).problem.find("[translation] 写上 key"), Text::npos);
}

TEST(DeepL, EveryLanguageOfTheListsHasItsCodes) {
    for (const char* code : kListCodes) {
        std::optional<Text> source = deepl::language_code(code, true);
        std::optional<Text> target = deepl::language_code(code, false);
        ASSERT_TRUE(source && target) << code;
        EXPECT_EQ(*source, runtime::to_upper(*source));
        EXPECT_EQ(source->find('-'), Text::npos) << "sources are base codes: " << *source;
        EXPECT_NE(*target, "EN");
        EXPECT_NE(*target, "PT");
        EXPECT_NE(*target, "ZH");
    }
    EXPECT_EQ(deepl::language_code("zh-CN", true), Text("ZH"));
    EXPECT_EQ(deepl::language_code("zh-TW", true), Text("ZH"));
    EXPECT_EQ(deepl::language_code("zh-CN", false), Text("ZH-HANS"));
    EXPECT_EQ(deepl::language_code("zh-TW", false), Text("ZH-HANT"));
    EXPECT_EQ(deepl::language_code("en", false), Text("EN-US"));
    EXPECT_EQ(deepl::language_code("pt", false), Text("PT-BR"));
    EXPECT_EQ(deepl::language_code("tl", false), Text("TL"));
    EXPECT_EQ(deepl::language_code(kDetectSource, true), Text(""));
}

TEST(DeepL, RepliesAndRefusals) {
    deepl::Reading read = deepl::read_translation(
        reply(200, R"({"translations": [{"detected_source_language": "EN", "text": "Hallo, Welt!"},
                                         {"detected_source_language": "EN", "text": "\"x\", [y]"}]})"),
        2);
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.translations, (std::vector<Text>{"Hallo, Welt!", "\"x\", [y]"}));
    for (const char* body : {"", "{", R"({"translations": []})", R"({"translations": [{"text": 5}]})",
                             R"({"translations": {"text": "x"}})", R"([{"text": "x"}])",
                             R"({"translations": [{"detected_source_language": "EN"}]})"}) {
        EXPECT_FALSE(deepl::read_translation(reply(200, body), 1).ok) << body;
    }
    EXPECT_FALSE(deepl::read_translation(reply(200, R"({"translations": [{"text": "a"}]})"), 2).ok);

    EXPECT_EQ(deepl::read_translation(reply(400, R"({"message": "Value for 'target_lang' not supported."})"), 1).message,
              "Value for 'target_lang' not supported.");
    EXPECT_EQ(deepl::read_translation(reply(400, R"({"message": "Invalid glossary entries provided",
                                                     "detail": "Key with the index 1 duplicates"})"), 1).message,
              "Invalid glossary entries provided: Key with the index 1 duplicates");

    // Through a run: each refusal is one line with the status, what it means, and the message.
    auto refused = [](int status, const std::string& body) {
        FakeService service;
        service.answer = [&](const net::HttpRequest&) { return reply(status, body); };
        return translate_pieces(choice(deepl::engine(), "https://api.deepl.com", "k"), {"Hello"}, true, kEnglish,
                                kChinese, service.send())
            .failure;
    };
    EXPECT_EQ(refused(456, R"({"message":"Quota Exceeded"})"),
              "翻译失败：DeepL 返回 HTTP 456（本月的翻译字符额度已用完）：Quota Exceeded");
    EXPECT_EQ(refused(403, ""),
              "翻译失败：DeepL 返回 HTTP 403（密钥无效，或与地址不符：免费版密钥以 :fx 结尾，使用 api-free.deepl.com）");
    EXPECT_EQ(refused(429, ""), "翻译失败：DeepL 返回 HTTP 429（请求过于频繁，请稍后再试）");
    EXPECT_EQ(refused(400, R"({"message": "Parameter 'text' not specified."})"),
              "翻译失败：DeepL 返回 HTTP 400：Parameter 'text' not specified.");
    EXPECT_EQ(refused(200, "<html>"), "翻译失败：DeepL 的回复无法识别（HTTP 200）");
}

TEST(DeepL, BatchesKeepFiftyTextsAndTheBodysSize) {
    std::vector<Text> clauses;
    for (int i = 0; i < 130; ++i) clauses.push_back("clause " + runtime::to_text(i));
    FakeService service;
    service.answer = deepl_echo;
    Translations done = translate_pieces(choice(deepl::engine(), "https://api.deepl.com", "k"), clauses, false,
                                         kEnglish, kChinese, service.send());
    ASSERT_TRUE(done.failure.empty()) << done.failure;
    ASSERT_EQ(service.requests.size(), 3u) << "50 + 50 + 30";
    for (size_t i = 0; i < clauses.size(); ++i) EXPECT_EQ(done.pieces[i].text, "T:" + clauses[i]);

    // Large texts: every body within 128 KiB, the texts whole and in order.
    std::vector<Text> large(12, Text(20000, 'a'));
    large[3] = Text(20000, '"');  // every byte escaped
    std::vector<Batch> batches = deepl::batches(large);
    size_t next = 0;
    for (const Batch& batch : batches) {
        EXPECT_EQ(batch.first, next);
        next += batch.count;
        std::vector<Text> part = texts_of(large, batch);
        EXPECT_LE(deepl::translation_request(Choice(), part, "EN", "DE").body.size(), deepl::kBodyBytes);
    }
    EXPECT_EQ(next, large.size());
    // A text longer than a request can hold goes in parts, joined back.
    FakeService parts;
    parts.answer = deepl_echo;
    Text huge;
    while (huge.size() < 3 * deepl::kTextBytes) huge += "A sentence of the long text. ";
    Translations whole = translate_pieces(choice(deepl::engine(), "https://api.deepl.com", "k"), {huge}, false,
                                          kEnglish, kChinese, parts.send());
    ASSERT_EQ(whole.pieces.size(), 1u);
    for (const net::HttpRequest& request : parts.requests) EXPECT_LE(request.body.size(), deepl::kBodyBytes);
    EXPECT_NE(whole.pieces[0].text.find("T:A sentence"), Text::npos);
}

TEST(Microsoft, RequestsAndTheRegionHeader) {
    Choice global = choice(microsoft::engine(), "https://api.cognitive.microsofttranslator.com", "ms-key");
    net::HttpRequest request = microsoft::translation_request(global, {"Hello", "第二"}, "en", "zh-Hans");
    EXPECT_EQ(request.url, "https://api.cognitive.microsofttranslator.com/translate?api-version=3.0&from=en&to=zh-Hans");
    EXPECT_NE(request.headers.find("Ocp-Apim-Subscription-Key: ms-key\r\n"), Text::npos);
    EXPECT_EQ(request.headers.find("Ocp-Apim-Subscription-Region"), Text::npos) << "a global resource has none";
    EXPECT_EQ(body_of(request), u8R"([{"Text":"Hello"},{"Text":"第二"}])");
    Choice regional = choice(microsoft::engine(), "https://api.cognitive.microsofttranslator.com", "k", "westeurope");
    EXPECT_NE(microsoft::translation_request(regional, {"x"}, "", "de").headers.find(
                  "Ocp-Apim-Subscription-Region: westeurope\r\n"),
              Text::npos);
    EXPECT_EQ(microsoft::translation_request(regional, {"x"}, "", "de").url,
              "https://api.cognitive.microsofttranslator.com/translate?api-version=3.0&to=de");
    EXPECT_EQ(microsoft::lookup_request(regional, "fly", "en", "zh-Hans").url,
              "https://api.cognitive.microsofttranslator.com/dictionary/lookup?api-version=3.0&from=en&to=zh-Hans");

    Settings settings;
    settings.translation.engine = "microsoft";
    settings.translation.key = "k";
    settings.translation.region = "eastasia";
    Choice chosen = translation_engine(settings);
    EXPECT_EQ(chosen.address, "https://api.cognitive.microsofttranslator.com");
    EXPECT_EQ(chosen.region, "eastasia");
    EXPECT_STREQ(extra_setting_of("microsoft"), "region");
}

TEST(Microsoft, CodesAndTheLanguagesItDoesNotOffer) {
    EXPECT_EQ(microsoft::language_code("zh-CN", true), Text("zh-Hans"));
    EXPECT_EQ(microsoft::language_code("zh-TW", false), Text("zh-Hant"));
    EXPECT_EQ(microsoft::language_code("tl", false), Text("fil"));
    EXPECT_EQ(microsoft::language_code("ko", false), Text("ko"));
    EXPECT_EQ(microsoft::language_code(kDetectSource, true), Text(""));
    int offered = 0;
    for (const char* code : kListCodes) offered += microsoft::language_code(code, false) ? 1 : 0;
    EXPECT_EQ(offered, 38 - 2) << "all but Belarusian and Latin";

    FakeService service;
    service.answer = microsoft_echo;
    Translations latin = translate_pieces(choice(microsoft::engine(), "https://m.test", "k"), {"Hello"}, true,
                                          kEnglish, {"la", "拉丁语"}, service.send());
    EXPECT_EQ(latin.failure, "翻译失败：Microsoft Translator 不提供拉丁语的翻译，请在列表中换一种语言或换一个服务");
    Translations belarusian = translate_pieces(choice(microsoft::engine(), "https://m.test", "k"), {"Привет"}, false,
                                               {"be", "白俄罗斯语"}, kChinese, service.send());
    EXPECT_NE(belarusian.failure.find("白俄罗斯语"), Text::npos);
    EXPECT_TRUE(service.requests.empty()) << "nothing sent";
}

TEST(Microsoft, RepliesRefusalsAndBatches) {
    microsoft::Reading read = microsoft::read_translation(
        reply(200, u8R"([{"translations":[{"text":"你好, 你叫什么名字？","to":"zh-Hans"}]},
                        {"detectedLanguage":{"language":"en","score":1.0},"translations":[{"text":"b","to":"zh-Hans"}]}])"),
        2);
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.translations, (std::vector<Text>{u8"你好, 你叫什么名字？", "b"}));
    for (const char* body : {"", "[", "{}", "[{}]", R"([{"translations": []}])", R"([{"translations": [{"to": "x"}]}])",
                             R"([{"translations": [{"text": 1}]}])", R"({"translations": [{"text": "x"}]})"}) {
        EXPECT_FALSE(microsoft::read_translation(reply(200, body), 1).ok) << body;
    }
    auto refused = [](int status, const std::string& body) {
        FakeService service;
        service.answer = [&](const net::HttpRequest&) { return reply(status, body); };
        return translate_pieces(choice(microsoft::engine(), "https://m.test", "k"), {"Hello"}, true, kEnglish,
                                kChinese, service.send())
            .failure;
    };
    EXPECT_EQ(refused(401, R"({"error":{"code":401000,"message":"The request is not authorized because credentials are missing or invalid."}})"),
              "翻译失败：Microsoft Translator 返回 HTTP 401（密钥无效，或区域资源没有填写区域）：The request is not "
              "authorized because credentials are missing or invalid.");
    EXPECT_EQ(refused(403, R"({"error":{"code":403001,"message":"The operation is not allowed because the subscription has exceeded its free quota."}})"),
              "翻译失败：Microsoft Translator 返回 HTTP 403（免费额度已用完）：The operation is not allowed because the "
              "subscription has exceeded its free quota.");
    EXPECT_EQ(refused(429, R"({"error":{"code":429000,"message":"Too many requests."}})"),
              "翻译失败：Microsoft Translator 返回 HTTP 429（请求过于频繁，请稍后再试）：Too many requests.");
    EXPECT_EQ(refused(500, "oops"), "翻译失败：Microsoft Translator 返回 HTTP 500（服务暂时不可用，请稍后再试）");

    // 1,000 texts and 50,000 characters a request.
    std::vector<Text> many(2500, "word");
    std::vector<Batch> by_count = microsoft::batches(many);
    ASSERT_EQ(by_count.size(), 3u);
    EXPECT_EQ(by_count[0].count, 1000u);
    EXPECT_EQ(by_count[2].count, 500u);
    std::vector<Text> long_texts(7, Text(20000, 'x'));
    for (const Batch& batch : microsoft::batches(long_texts)) EXPECT_LE(batch.count, 2u);
    std::vector<Text> chinese(4, Text());
    for (Text& text : chinese) {
        for (int i = 0; i < 15000; ++i) text += "字";  // 3 bytes, one UTF-16 unit each
    }
    EXPECT_EQ(microsoft::batches(chinese).size(), 2u) << "counted in characters, not bytes";
}

TEST(Microsoft, TheDictionaryForOneWordGroupedByPartOfSpeech) {
    const char* tags[] = {"NOUN", "VERB", "ADJ", "ADV", "CONJ", "DET", "MODAL", "PREP", "PRON", "OTHER"};
    const char* names[] = {"名词", "动词", "形容词", "副词", "连词", "限定词", "情态动词", "介词", "代词", "其他"};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(microsoft::part_of_speech(tags[i]), names[i]);
    EXPECT_EQ(microsoft::part_of_speech("INTJ"), "其他");

    const std::string fly = u8R"([{"normalizedSource":"fly","displaySource":"fly","translations":[
        {"normalizedTarget":"飞","displayTarget":"飞","posTag":"VERB","confidence":0.34,"prefixWord":"","backTranslations":[]},
        {"normalizedTarget":"苍蝇","displayTarget":"苍蝇","posTag":"NOUN","confidence":0.3,"prefixWord":"","backTranslations":[]},
        {"normalizedTarget":"飞行","displayTarget":"飞行","posTag":"VERB","confidence":0.2,"prefixWord":"","backTranslations":[]}]}])";
    std::optional<Dictionary> dictionary = microsoft::read_lookup(reply(200, fly));
    ASSERT_TRUE(dictionary);
    ASSERT_EQ(dictionary->entries.size(), 2u);
    EXPECT_EQ(dictionary->entries[0].part_of_speech, "动词");
    EXPECT_EQ(dictionary->entries[0].words, (std::vector<Text>{"飞", "飞行"}));
    EXPECT_EQ(dictionary->entries[1].part_of_speech, "名词");
    EXPECT_TRUE(dictionary->separated);
    EXPECT_FALSE(microsoft::read_lookup(reply(200, R"([{"normalizedSource":"fly123456","displaySource":"fly123456","translations":[]}])")));
    for (const char* body : {"", "[]", "{}", R"([{"translations": "none"}])", R"([{"translations": [{"posTag": "NOUN"}]}])"}) {
        EXPECT_FALSE(microsoft::read_lookup(reply(200, body))) << body;
    }
    EXPECT_FALSE(microsoft::read_lookup(reply(401, R"({"error":{"code":401000,"message":"x"}})")));

    // In a run: a lookup for one word between English and a language the dictionary pairs with it.
    auto run = [&](const Text& text, const Language& source, const Language& target, int lookup_status) {
        FakeService service;
        service.answer = [&](const net::HttpRequest& request) {
            if (request.url.find("/dictionary/lookup") != Text::npos) return reply(lookup_status, fly);
            return microsoft_echo(request);
        };
        Translations done = translate_pieces(choice(microsoft::engine(), "https://m.test", "k"), {text}, true, source,
                                             target, service.send());
        return std::make_pair(done, service.requests.size());
    };
    auto [translated, requests] = run("fly", kEnglish, kChinese, 200);
    EXPECT_EQ(requests, 2u);
    ASSERT_TRUE(translated.pieces[0].dictionary);
    EXPECT_EQ(translated.pieces[0].text, "T:fly");
    EXPECT_EQ(run("打印", kChinese, kEnglish, 200).second, 2u) << "the other direction";
    EXPECT_EQ(run("fly", kEnglish, kTraditional, 200).second, 1u) << "no dictionary for Traditional Chinese";
    EXPECT_EQ(run("fly away", kEnglish, kChinese, 200).second, 1u) << "not one word";
    EXPECT_EQ(run("fly", {"de", "德语"}, kChinese, 200).second, 1u) << "neither side English";
    EXPECT_EQ(run("fly", {kDetectSource, ""}, kChinese, 200).second, 1u) << "no source to look up from";
    auto [alone, lookups] = run("fly", kEnglish, kChinese, 500);
    EXPECT_EQ(lookups, 2u);
    EXPECT_TRUE(alone.failure.empty()) << "a failed lookup leaves the translation alone";
    EXPECT_FALSE(alone.pieces[0].dictionary);
    EXPECT_FALSE(microsoft::is_one_word(Text(101, 'a')));
    EXPECT_TRUE(microsoft::is_one_word(Text(100, 'a')));
    EXPECT_FALSE(microsoft::is_one_word(u8"两个\u3000词"));
}
