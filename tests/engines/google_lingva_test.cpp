// Google Cloud and Lingva: requests and replies as their documentation shows them, broken
// replies, the limits that batching and cutting keep, and the speech replies.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "engines/google_cloud.h"
#include "engines/json_text.h"
#include "engines/lingva.h"

#include <nlohmann/json.hpp>

using namespace engines;

namespace {

net::HttpReply reply(int status, const std::string& body) {
    return {status, runtime::Bytes(body.begin(), body.end()), 0};
}

std::string body_of(const net::HttpRequest& request) { return std::string(request.body.begin(), request.body.end()); }

Choice choice(const EngineRow& engine, const Text& address, const Text& key = "") {
    Choice made;
    made.engine = &engine;
    made.address = address;
    made.key = key;
    return made;
}

}  // namespace

TEST(GoogleCloud, TranslationRequestAndReplies) {
    net::HttpRequest request = google_cloud::translation_request(
        choice(google_cloud::engine(), "https://translation.googleapis.com", "AIza-key"), {"Hello world", "你好"}, "en",
        "zh-CN");
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.url, "https://translation.googleapis.com/language/translate/v2");
    EXPECT_NE(request.headers.find("X-Goog-Api-Key: AIza-key\r\n"), Text::npos);
    EXPECT_EQ(request.url.find("AIza"), Text::npos);
    EXPECT_EQ(body_of(request), u8R"({"format":"text","q":["Hello world","你好"],"source":"en","target":"zh-CN"})");

    google_cloud::Reading read = google_cloud::read_translation(
        reply(200, R"({"data": {"translations": [{"translatedText": "Hallo Welt"}, {"translatedText": "x"}]}})"), 2);
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.translations, (std::vector<Text>{"Hallo Welt", "x"}));

    google_cloud::Reading bad_key = google_cloud::read_translation(
        reply(400, R"({"error": {"code": 400, "message": "API key not valid. Please pass a valid API key.",
                      "errors": [{"message": "API key not valid.", "domain": "global", "reason": "badRequest"}],
                      "status": "INVALID_ARGUMENT"}})"),
        1);
    EXPECT_FALSE(bad_key.ok);
    EXPECT_EQ(bad_key.message, "API key not valid. Please pass a valid API key.");
    EXPECT_EQ(failure_line(google_cloud::engine(), reply(429, ""), "Quota exceeded"),
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
    std::vector<Batch> batches = google_cloud::batches(small);
    ASSERT_EQ(batches.size(), 3u);
    EXPECT_EQ(batches[0].count, 128u);
    EXPECT_EQ(batches[1].first, 128u);
    EXPECT_EQ(batches[2].count, 44u);

    // Large pieces close a batch before its body could pass the limit, whatever they hold.
    std::vector<Text> large(5, Text(20000, '"'));
    size_t covered = 0;
    for (const Batch& batch : google_cloud::batches(large)) {
        std::vector<Text> part(large.begin() + batch.first, large.begin() + batch.first + batch.count);
        net::HttpRequest request =
            google_cloud::translation_request(choice(google_cloud::engine(), "h", "k"), part, "en", "de");
        EXPECT_LE(request.body.size(), google_cloud::kBodyBytes);
        EXPECT_EQ(batch.first, covered);
        covered += batch.count;
    }
    EXPECT_EQ(covered, large.size());
    EXPECT_TRUE(google_cloud::batches({}).empty());

    // One text larger than a request goes in parts, each within the limit, and comes back whole.
    Text huge;
    for (int i = 0; i < 40000; ++i) huge += i % 100 == 99 ? "。" : "长";
    std::vector<size_t> sizes;
    net::HttpSend echo = [&](const net::HttpRequest& request) {
        sizes.push_back(request.body.size());
        nlohmann::json q = nlohmann::json::parse(body_of(request))["q"], out;
        for (const auto& text : q) out["data"]["translations"].push_back({{"translatedText", text}});
        return reply(200, out.dump());
    };
    Translations whole = translate_pieces(choice(google_cloud::engine(), "h", "k"), {huge}, true,
                                          {"zh-CN", "中文(简体)"}, {"en", "英语"}, echo);
    ASSERT_TRUE(whole.failure.empty()) << whole.failure;
    EXPECT_EQ(whole.pieces[0].text, huge);
    EXPECT_GE(sizes.size(), 2u);
    for (size_t size : sizes) EXPECT_LE(size, google_cloud::kBodyBytes);
}

TEST(GoogleCloud, SpeechRequestAndAudio) {
    net::HttpRequest request = google_cloud::speech_request(
        choice(google_cloud::engine(), "https://texttospeech.googleapis.com", "k"), "你好", "zh-CN");
    EXPECT_EQ(request.url, "https://texttospeech.googleapis.com/v1/text:synthesize");
    EXPECT_EQ(body_of(request),
              u8R"({"audioConfig":{"audioEncoding":"MP3"},"input":{"text":"你好"},"voice":{"languageCode":"cmn-CN"}})");
    EXPECT_EQ(google_cloud::voice_language("en"), "en-US");
    EXPECT_EQ(google_cloud::voice_language("xx"), "xx");

    EXPECT_EQ(google_cloud::read_speech(reply(200, R"({"audioContent": "SUQzBA=="})")),
              (runtime::Bytes{'I', 'D', '3', 4}));
    for (const char* body :
         {R"({"audioContent": ""})", R"({"audioContent": "***"})", R"({"audioContent": 5})", "{}", ""}) {
        EXPECT_FALSE(google_cloud::read_speech(reply(200, body))) << body;
    }
    EXPECT_FALSE(google_cloud::read_speech(reply(403, R"({"audioContent": "SUQzBA=="})")));
}

TEST(Lingva, TranslationRequestsAndTheDictionary) {
    Choice lingva = choice(lingva::engine(), "https://lingva.example");
    EXPECT_EQ(lingva::translation_request(lingva, "a b/c?d", "en", "zh").url,
              "https://lingva.example/api/v1/en/zh/a%20b%2Fc%3Fd");
    EXPECT_EQ(lingva::translation_request(lingva, "x", "en", "de").method, "GET");
    // Traditional Chinese is a target of Lingva's only; as a source it is Chinese.
    EXPECT_EQ(lingva::language_code("zh-TW", false), Text("zh_HANT"));
    EXPECT_EQ(lingva::language_code("zh-TW", true), Text("zh"));
    EXPECT_EQ(lingva::language_code("zh-CN", true), Text("zh"));
    EXPECT_EQ(lingva::language_code("auto", true), Text("auto"));

    lingva::Reading read = lingva::read_translation(reply(200,
                                                          R"({"translation": "打印", "info": {
        "extraTranslations": [
            {"type": "noun", "list": [{"word": "打印", "meanings": ["print"], "frequency": 3},
                                      {"word": "印刷品, \"物\" [1]", "meanings": ["print"], "frequency": 1}]},
            {"type": "verb", "list": [{"word": "打印", "meanings": ["print"], "frequency": 3}]},
            {"type": "verb", "list": []},
            {"type": 7, "list": [{"word": "x"}]}]}})"),
                                                    true);
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.translation.text, "打印");
    ASSERT_TRUE(read.translation.dictionary);
    const Dictionary& dictionary = *read.translation.dictionary;
    ASSERT_EQ(dictionary.entries.size(), 2u);
    EXPECT_TRUE(dictionary.separated);
    EXPECT_EQ(dictionary.entries[0].part_of_speech, "名词");
    // A word keeps every mark it has: nothing cuts it again.
    EXPECT_EQ(dictionary.entries[0].words, (std::vector<Text>{"打印", "印刷品, \"物\" [1]"}));
    EXPECT_EQ(dictionary.entries[1].part_of_speech, "动词");
    EXPECT_FALSE(lingva::read_translation(reply(200, R"({"translation": "x", "info": {}})"), true).translation.dictionary);
    EXPECT_FALSE(lingva::read_translation(reply(200, R"({"translation": "打印", "info": {"extraTranslations": [
        {"type": "noun", "list": [{"word": "打印"}]}]}})"), false).translation.dictionary)
        << "not asked for";
    EXPECT_EQ(lingva::part_of_speech("interjection"), "感叹词");
    EXPECT_EQ(lingva::part_of_speech("adjective"), "形容词");

    lingva::Reading refused = lingva::read_translation(reply(400, R"({"error": "Invalid target language"})"), true);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.message, "Invalid target language");
    for (const char* body : {"", "[]", R"({"translation": 1})", R"({"info": {}})"}) {
        EXPECT_FALSE(lingva::read_translation(reply(200, body), true).ok) << body;
    }
    EXPECT_TRUE(lingva::read_translation(reply(200, R"({"translation": "t", "info": 5})"), true).ok);
}

namespace {

// A Lingva server that answers "<target>:<text>" after a pause, counting the requests it holds
// at once; the texts listed in refuse are answered 500.
struct SlowLingva {
    std::chrono::milliseconds pause{20};
    std::vector<Text> refuse;
    std::atomic<int> in_flight{0}, most_in_flight{0}, requests{0};
    std::mutex mutex;
    std::vector<std::string> urls;

    net::HttpSend send() {
        return [this](const net::HttpRequest& request) {
            int now = ++in_flight;
            for (int seen = most_in_flight; now > seen && !most_in_flight.compare_exchange_weak(seen, now);) {
            }
            ++requests;
            std::this_thread::sleep_for(pause);
            {
                std::lock_guard<std::mutex> lock(mutex);
                urls.push_back(request.url);
            }
            std::string text = request.url.substr(request.url.rfind('/') + 1);
            --in_flight;
            for (const Text& refused : refuse) {
                if (text == refused) return reply(500, R"({"error":"An error occurred while retrieving the translation"})");
            }
            return reply(200, R"({"translation":"zh:)" + text + "\"}");
        };
    }
};

}  // namespace

TEST(Lingva, PiecesGoSideBySideAtMostFourAtATimeAndComeBackInOrder) {
    std::vector<Text> pieces;
    for (int i = 0; i < 40; ++i) pieces.push_back("p" + runtime::to_text(i));
    pieces[7] = "";  // an empty clause: no request, nothing to show
    SlowLingva server;
    auto started = std::chrono::steady_clock::now();
    Translations translations = translate_pieces(choice(lingva::engine(), "http://l.test"), pieces, false,
                                                 {"en", "英语"}, {"zh-CN", "中文(简体)"}, server.send());
    auto took = std::chrono::steady_clock::now() - started;
    ASSERT_TRUE(translations.failure.empty()) << translations.failure;
    ASSERT_EQ(translations.pieces.size(), pieces.size());
    for (size_t i = 0; i < pieces.size(); ++i) {
        EXPECT_EQ(translations.pieces[i].text, pieces[i].empty() ? "" : "zh:" + pieces[i]) << i;
    }
    EXPECT_EQ(server.requests.load(), 39);
    EXPECT_EQ(server.most_in_flight.load(), 4);
    EXPECT_LT(took, std::chrono::milliseconds(39 * 20)) << "side by side, not one after another";
    for (const std::string& url : server.urls) EXPECT_EQ(url.find("/api/v1/en/zh/"), 13u) << url;

    // A refusal of any piece is the one line; the first refused in the text's order is told.
    SlowLingva refusing;
    refusing.refuse = {"p30", "p5"};
    Translations refused = translate_pieces(choice(lingva::engine(), "http://l.test"), pieces, false,
                                            {"en", "英语"}, {"zh-CN", "中文(简体)"}, refusing.send());
    EXPECT_EQ(refused.failure, "翻译失败：Lingva 返回 HTTP 500：An error occurred while retrieving the translation");
    EXPECT_TRUE(refused.pieces.empty()) << "nothing half-translated";
    EXPECT_LT(refusing.requests.load(), 39) << "no request starts after a refusal";
}

TEST(Lingva, AudioIsAnArrayOfBytes) {
    Choice lingva = choice(lingva::engine(), "http://l.test");
    EXPECT_EQ(lingva::speech_request(lingva, "hi there", "zh-CN").url, "http://l.test/api/v1/audio/zh/hi%20there");
    EXPECT_EQ(lingva::speech_request(lingva, "你", "zh-TW").url, "http://l.test/api/v1/audio/zh_HANT/%E4%BD%A0");
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
