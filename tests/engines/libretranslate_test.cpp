// LibreTranslate's request and reply, on the bodies its documentation shows and on broken ones;
// and batching, which must show exactly what one request per piece shows.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "engines/engine.h"
#include "engines/libretranslate.h"

using namespace engines;

namespace {

net::HttpReply reply(int status, const std::string& body) {
    return {status, runtime::Bytes(body.begin(), body.end()), 0};
}

std::string body_of(const net::HttpRequest& request) { return std::string(request.body.begin(), request.body.end()); }

Choice libre(const Text& key = "") {
    Choice choice;
    choice.engine = Engine::libretranslate;
    choice.address = "http://lt.test:5000";
    choice.key = key;
    return choice;
}

}  // namespace

TEST(LibreTranslate, RequestsAsDocumented) {
    net::HttpRequest one = libretranslate::request(libre(), {"Hello!"}, "en", "zh-CN");
    EXPECT_EQ(one.method, "POST");
    EXPECT_EQ(one.url, "http://lt.test:5000/translate");
    EXPECT_NE(one.headers.find("Content-Type: application/json\r\n"), Text::npos);
    EXPECT_EQ(body_of(one), R"({"format":"text","q":"Hello!","source":"en","target":"zh"})");

    // Several pieces go as a list; GBK becomes UTF-8; the key goes in the body, never in the URL.
    net::HttpRequest many = libretranslate::request(libre("k-123"), {"你好", "a\"b"}, "zh-TW", "en");
    EXPECT_EQ(body_of(many),
              u8R"({"api_key":"k-123","format":"text","q":["你好","a\"b"],"source":"zt","target":"en"})");
    EXPECT_EQ(many.url.find("k-123"), Text::npos);
    EXPECT_EQ(libretranslate::language_code("ja"), "ja");
}

TEST(LibreTranslate, ReadsTheDocumentedReplies) {
    libretranslate::Reading single = libretranslate::read(reply(200, "{\"translatedText\": \"\xc2\xa1Hola!\"}"), 1);
    ASSERT_TRUE(single.ok);
    EXPECT_EQ(single.translations, std::vector<std::string>{"\xc2\xa1Hola!"});
    libretranslate::Reading detected = libretranslate::read(
        reply(200, R"({"detectedLanguage": {"confidence": 83, "language": "it"}, "translatedText": "Bye!"})"), 1);
    EXPECT_TRUE(detected.ok);
    libretranslate::Reading batch = libretranslate::read(reply(200, R"({"translatedText": ["a", "b"]})"), 2);
    ASSERT_TRUE(batch.ok);
    EXPECT_EQ(batch.translations, (std::vector<std::string>{"a", "b"}));

    libretranslate::Reading slow = libretranslate::read(reply(429, R"({"error": "Slowdown: 20 per 1 minute"})"), 1);
    EXPECT_FALSE(slow.ok);
    EXPECT_EQ(slow.message, "Slowdown: 20 per 1 minute");
    EXPECT_FALSE(slow.over_limit);
    libretranslate::Reading limit =
        libretranslate::read(reply(400, R"x({"error": "Invalid request: request (40) exceeds text limit (25)"})x"), 40);
    EXPECT_TRUE(limit.over_limit);
}

TEST(LibreTranslate, BrokenRepliesAreNotTranslations) {
    for (const char* body :
         {"", "not json", "{", "[]", "null", R"({"translatedText": 5})", R"({"translatedText": ["a", 5]})",
          R"({"translatedText": ["a"]})", R"({"translatedText": []})", R"({"other": "x"})",
          R"({"translatedText": null})", "\xff\xfe{\"translatedText\": \"x\"}"}) {
        libretranslate::Reading reading = libretranslate::read(reply(200, body), 2);
        EXPECT_FALSE(reading.ok) << body;
    }
    // One text sent, a list of one back: read leniently, as the same translation.
    EXPECT_EQ(libretranslate::read(reply(200, R"({"translatedText": ["a"]})"), 1).translations,
              std::vector<std::string>{"a"});
    // An error status with a body that is no error object: no message, and no crash.
    for (const char* body : {"<html>502</html>", R"({"error": {"nested": 1}})", R"({"error": 7})"}) {
        libretranslate::Reading reading = libretranslate::read(reply(502, body), 1);
        EXPECT_FALSE(reading.ok);
        EXPECT_TRUE(reading.message.empty()) << body;
    }
    // A large body reads without trouble.
    std::string big = R"({"translatedText": ")" + std::string(3 << 20, 'x') + "\"}";
    EXPECT_EQ(libretranslate::read(reply(200, big), 1).translations[0].size(), 3u << 20);
}

TEST(LibreTranslate, BatchesAreHalvedUntilTheServerTakesThemAndShowTheSame) {
    std::vector<Text> pieces;
    for (int i = 0; i < 11; ++i) pieces.push_back("p" + runtime::to_text(i));
    // A server with a batch limit, answering "<target>:<text>" like a translation.
    auto server = [](size_t limit, int& requests) {
        return [limit, &requests](const net::HttpRequest& request) {
            ++requests;
            nlohmann::json q = nlohmann::json::parse(body_of(request))["q"];
            size_t count = q.is_array() ? q.size() : 1;
            if (count > limit) {
                return reply(400, "{\"error\": \"Invalid request: request (" + std::to_string(count) +
                                      ") exceeds text limit (" + std::to_string(limit) + ")\"}");
            }
            nlohmann::json out;
            if (q.is_string()) {
                out["translatedText"] = "zh:" + q.get<std::string>();
            } else {
                for (const auto& text : q) out["translatedText"].push_back("zh:" + text.get<std::string>());
            }
            return reply(200, out.dump());
        };
    };
    int unlimited_requests = 0, limited_requests = 0;
    Replies all_at_once = translate_pieces(libre(), pieces, "en", "zh-CN", server(100, unlimited_requests));
    Replies in_halves = translate_pieces(libre(), pieces, "en", "zh-CN", server(3, limited_requests));
    ASSERT_TRUE(all_at_once.failure.empty());
    ASSERT_TRUE(in_halves.failure.empty());
    EXPECT_EQ(unlimited_requests, 1);
    EXPECT_GT(limited_requests, 4);
    EXPECT_EQ(all_at_once.replies, in_halves.replies);
    ASSERT_EQ(all_at_once.replies.size(), pieces.size());
    EXPECT_EQ(all_at_once.replies[10], classic_reply("zh:p10", "en"));

    // A single piece over the limit is an error line, not a loop.
    int requests = 0;
    Replies refused = translate_pieces(libre(), {"p"}, "en", "zh-CN", server(0, requests));
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(refused.failure,
              "翻译失败：LibreTranslate 返回 HTTP 400：Invalid request: request (1) exceeds text limit (0)");
}
