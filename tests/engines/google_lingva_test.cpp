// Google Cloud and Lingva: requests and replies as their documentation shows them, broken
// replies, the limits that batching and cutting keep, and the speech replies.
#include <gtest/gtest.h>

#include "engines/google_cloud.h"
#include "engines/json_text.h"
#include "engines/lingva.h"

using namespace engines;

namespace {

net::HttpReply reply(int status, const std::string& body) {
    return {status, runtime::Bytes(body.begin(), body.end()), 0};
}

std::string body_of(const net::HttpRequest& request) { return std::string(request.body.begin(), request.body.end()); }

Choice choice(Engine engine, const Text& address, const Text& key = "") {
    Choice made;
    made.engine = engine;
    made.address = address;
    made.key = key;
    return made;
}

}  // namespace

TEST(GoogleCloud, TranslationRequestAndReplies) {
    net::HttpRequest request = google_cloud::translation_request(
        choice(Engine::google_cloud, "https://translation.googleapis.com", "AIza-key"), {"Hello world", "你好"}, "en",
        "zh-CN");
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.url, "https://translation.googleapis.com/language/translate/v2");
    EXPECT_NE(request.headers.find("X-Goog-Api-Key: AIza-key\r\n"), Text::npos);
    EXPECT_EQ(request.url.find("AIza"), Text::npos);
    EXPECT_EQ(body_of(request), u8R"({"format":"text","q":["Hello world","你好"],"source":"en","target":"zh-CN"})");

    google_cloud::Reading read = google_cloud::read_translation(
        reply(200, R"({"data": {"translations": [{"translatedText": "Hallo Welt"}, {"translatedText": "x"}]}})"), 2);
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.translations, (std::vector<std::string>{"Hallo Welt", "x"}));

    google_cloud::Reading bad_key = google_cloud::read_translation(
        reply(400, R"({"error": {"code": 400, "message": "API key not valid. Please pass a valid API key.",
                      "errors": [{"message": "API key not valid.", "domain": "global", "reason": "badRequest"}],
                      "status": "INVALID_ARGUMENT"}})"),
        1);
    EXPECT_FALSE(bad_key.ok);
    EXPECT_EQ(bad_key.message, "API key not valid. Please pass a valid API key.");
    EXPECT_EQ(failure_line(Engine::google_cloud, reply(429, ""), "Quota exceeded"),
              "翻译失败：Google Cloud 返回 HTTP 429：Quota exceeded");

    for (const char* body : {"", "{", R"({"data": {}})", R"({"data": {"translations": []}})",
                             R"({"data": {"translations": [{"translatedText": 3}]}})", R"({"data": []})",
                             R"({"data": {"translations": [{"other": "x"}]}})", R"([1, 2])"}) {
        EXPECT_FALSE(google_cloud::read_translation(reply(200, body), 1).ok) << body;
    }
    EXPECT_TRUE(google_cloud::read_translation(reply(503, R"({"error": "plain"})"), 1).message.empty());
}

TEST(GoogleCloud, BatchesKeepTheDocumentedLimits) {
    std::vector<Text> small(300, "clause");
    std::vector<google_cloud::Batch> batches = google_cloud::batches(small);
    ASSERT_EQ(batches.size(), 3u);
    EXPECT_EQ(batches[0].count, 128u);
    EXPECT_EQ(batches[1].first, 128u);
    EXPECT_EQ(batches[2].count, 44u);

    // Large pieces close a batch before its body could pass the limit, whatever they hold.
    std::vector<Text> large(5, Text(20000, '"'));
    size_t covered = 0;
    for (const google_cloud::Batch& batch : google_cloud::batches(large)) {
        std::vector<Text> part(large.begin() + batch.first, large.begin() + batch.first + batch.count);
        net::HttpRequest request =
            google_cloud::translation_request(choice(Engine::google_cloud, "h", "k"), part, "en", "de");
        EXPECT_LE(request.body.size(), google_cloud::kBodyBytes);
        EXPECT_EQ(batch.first, covered);
        covered += batch.count;
    }
    EXPECT_EQ(covered, large.size());
    EXPECT_TRUE(google_cloud::batches({}).empty());

    // One text larger than a request is cut at a character boundary.
    Text huge;
    for (int i = 0; i < 40000; ++i) huge += "长";
    std::string body =
        body_of(google_cloud::translation_request(choice(Engine::google_cloud, "h", "k"), {huge}, "zh-CN", "en"));
    EXPECT_LE(body.size(), google_cloud::kBodyBytes);
    EXPECT_NE(body.find(u8"长长\""), std::string::npos) << "ends on a whole character";
}

TEST(GoogleCloud, SpeechRequestAndAudio) {
    net::HttpRequest request = google_cloud::speech_request(
        choice(Engine::google_cloud, "https://texttospeech.googleapis.com", "k"), "你好", "zh-CN");
    EXPECT_EQ(request.url, "https://texttospeech.googleapis.com/v1/text:synthesize");
    EXPECT_EQ(body_of(request),
              u8R"({"audioConfig":{"audioEncoding":"MP3"},"input":{"text":"你好"},"voice":{"languageCode":"cmn-CN"}})");
    EXPECT_EQ(google_cloud::voice_language("en"), "en-US");
    EXPECT_EQ(google_cloud::voice_language("xx"), "xx");
    Text long_text(6000, 'a');
    EXPECT_NE(body_of(google_cloud::speech_request(choice(Engine::google_cloud, "h", "k"), long_text, "en"))
                  .find("\"" + std::string(google_cloud::kSpeechTextBytes, 'a') + "\""),
              std::string::npos);

    EXPECT_EQ(google_cloud::read_speech(reply(200, R"({"audioContent": "SUQzBA=="})")),
              (runtime::Bytes{'I', 'D', '3', 4}));
    for (const char* body :
         {R"({"audioContent": ""})", R"({"audioContent": "***"})", R"({"audioContent": 5})", "{}", ""}) {
        EXPECT_FALSE(google_cloud::read_speech(reply(200, body))) << body;
    }
    EXPECT_FALSE(google_cloud::read_speech(reply(403, R"({"audioContent": "SUQzBA=="})")));
}

TEST(Lingva, TranslationRequestsAndTheDictionary) {
    Choice lingva = choice(Engine::lingva, "https://lingva.example");
    EXPECT_EQ(lingva::translation_request(lingva, "a b/c?d", "en", "zh-CN").url,
              "https://lingva.example/api/v1/en/zh/a%20b%2Fc%3Fd");
    EXPECT_EQ(lingva::translation_request(lingva, "你", "zh-TW", "en").url,
              "https://lingva.example/api/v1/zh_HANT/en/%E4%BD%A0");
    EXPECT_EQ(lingva::translation_request(lingva, "x", "en", "de").method, "GET");

    lingva::Reading read = lingva::read_translation(reply(200,
                                                          u8R"({"translation": "打印", "info": {
        "extraTranslations": [
            {"type": "noun", "list": [{"word": "打印", "meanings": ["print"], "frequency": 3},
                                      {"word": "印刷品", "meanings": ["print"], "frequency": 1}]},
            {"type": "verb", "list": [{"word": "打印", "meanings": ["print"], "frequency": 3}]},
            {"type": "verb", "list": []},
            {"type": 7, "list": [{"word": "x"}]}]}})"));
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.translation, u8"打印");
    ASSERT_EQ(read.dictionary.size(), 2u);
    EXPECT_EQ(read.dictionary[0].first, "名词");
    EXPECT_EQ(read.dictionary[0].second, (std::vector<std::string>{u8"打印", u8"印刷品"}));
    EXPECT_EQ(read.dictionary[1].first, "动词");
    EXPECT_EQ(classic_reply(read.translation, read.dictionary, "en"),
              "[[[\"打印\",\"\",\"\",\"\"]],[[\"名词\",[\"打印\",\"印刷品\"]],[\"动词\",[\"打印\"]]],\"en\",,[[0]],0]");
    EXPECT_EQ(lingva::part_of_speech("interjection"), "感叹词");
    EXPECT_EQ(lingva::part_of_speech("adjective"), "形容词");

    lingva::Reading refused = lingva::read_translation(reply(400, R"({"error": "Invalid target language"})"));
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.message, "Invalid target language");
    for (const char* body : {"", "[]", R"({"translation": 1})", R"({"info": {}})"}) {
        EXPECT_FALSE(lingva::read_translation(reply(200, body)).ok) << body;
    }
    EXPECT_TRUE(lingva::read_translation(reply(200, R"({"translation": "t", "info": 5})")).ok);
}

TEST(Lingva, AudioIsAnArrayOfBytes) {
    Choice lingva = choice(Engine::lingva, "http://l.test");
    EXPECT_EQ(lingva::speech_request(lingva, "hi there", "zh-CN").url, "http://l.test/api/v1/audio/zh/hi%20there");
    EXPECT_EQ(lingva::read_speech(reply(200, R"({"audio": [73, 68, 51, 255, 0]})")),
              (runtime::Bytes{73, 68, 51, 255, 0}));
    for (const char* body : {R"({"audio": []})", R"({"audio": [256]})", R"({"audio": [-1]})", R"({"audio": ["1"]})",
                             R"({"audio": [1.5]})", R"({"audio": "x"})", "{}", "nonsense"}) {
        EXPECT_FALSE(lingva::read_speech(reply(200, body))) << body;
    }
    EXPECT_FALSE(lingva::read_speech(reply(500, R"({"audio": [1]})")));
}

TEST(WireText, Base64AndCuts) {
    EXPECT_EQ(decode_base64("aGVsbG8="), (runtime::Bytes{'h', 'e', 'l', 'l', 'o'}));
    EXPECT_EQ(decode_base64("aGVsbG8"), (runtime::Bytes{'h', 'e', 'l', 'l', 'o'}));
    EXPECT_EQ(decode_base64("aGVs\r\nbG8="), (runtime::Bytes{'h', 'e', 'l', 'l', 'o'}));
    EXPECT_EQ(decode_base64(""), runtime::Bytes());
    EXPECT_FALSE(decode_base64("a"));
    EXPECT_FALSE(decode_base64("aGVsbG8=x"));
    EXPECT_FALSE(decode_base64("a$=="));
    EXPECT_EQ(cut_utf8(u8"a长b", 3), "a");
    EXPECT_EQ(cut_utf8(u8"a长b", 4), u8"a长");
    EXPECT_EQ(cut_utf8("abc", 10), "abc");
}
