// LibreTranslate's request and reply, on the bodies its documentation and its server's code show
// and on broken ones; and how a run keeps within a server's limits, which it learns from
// /frontend/settings, from its limit errors in any language, and from a proxy's 413.
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
    choice.engine = &libretranslate::engine();
    choice.address = "http://lt.test:5000";
    choice.key = key;
    return choice;
}

size_t characters(const std::string& text) { return measure_of(text, Measure::characters); }

// A LibreTranslate server as its code behaves, answering "<target>:<text>", with limits.
struct Server {
    long char_limit = -1;     // told at /frontend/settings and enforced
    bool has_settings = true;  // older servers answer 404 there
    size_t batch_limit = 1000;
    size_t proxy_body_limit = 0;  // a proxy in front refusing larger bodies with 413; 0: none
    bool german = false;          // the limit error in another language
    std::vector<std::string> bodies;
    int settings_requests = 0;

    net::HttpSend send() {
        return [this](const net::HttpRequest& request) { return answer(request); };
    }
    net::HttpReply answer(const net::HttpRequest& request) {
        if (request.url.find("/frontend/settings") != std::string::npos) {
            ++settings_requests;
            if (!has_settings) return reply(404, "<h1>Not Found</h1>");
            return reply(200, R"({"apiKeys":false,"charLimit":)" + std::to_string(char_limit) +
                                  R"(,"frontendTimeout":500,"keyRequired":false,"suggestions":false})");
        }
        std::string body = body_of(request);
        bodies.push_back(body);
        if (proxy_body_limit && body.size() > proxy_body_limit) {
            return reply(413, "<html><center><h1>413 Request Entity Too Large</h1></center></html>");
        }
        nlohmann::json q = nlohmann::json::parse(body)["q"];
        if (q.is_string() && q.get<std::string>().empty()) {
            return reply(400, R"({"error":"Invalid request: missing q parameter"})");
        }
        size_t count = q.is_array() ? q.size() : 1, chars = 0;
        for (const auto& text : q.is_array() ? q : nlohmann::json::array({q})) chars += characters(text);
        if (q.is_array() && count > batch_limit) return limit_error(count, batch_limit);
        if (char_limit >= 0 && chars > static_cast<size_t>(char_limit)) return limit_error(chars, char_limit);
        nlohmann::json out;
        if (q.is_string()) {
            out["translatedText"] = "zh:" + q.get<std::string>();
        } else {
            for (const auto& text : q) out["translatedText"].push_back("zh:" + text.get<std::string>());
        }
        return reply(200, out.dump());
    }
    net::HttpReply limit_error(size_t size, size_t limit) const {
        std::string numbers = "(" + std::to_string(size) + ") ";
        std::string text = german ? "Ungültige Anfrage: Anfrage " + numbers + "überschreitet das Textlimit ("
                                  : "Invalid request: request " + numbers + "exceeds text limit (";
        return reply(400, "{\"error\":\"" + text + std::to_string(limit) + ")\"}");
    }
};

std::vector<Text> texts_of(const Translations& translations) {
    std::vector<Text> texts;
    for (const PieceTranslation& piece : translations.pieces) texts.push_back(piece.text);
    return texts;
}

Translations run(Server& server, const std::vector<Text>& pieces) {
    return translate_pieces(libre(), pieces, false, {"en", "英语"}, {"zh-CN", "中文(简体)"}, server.send());
}

}  // namespace

TEST(LibreTranslate, RequestsAsDocumented) {
    net::HttpRequest one = libretranslate::request(libre(), {"Hello!"}, "en", "zh");
    EXPECT_EQ(one.method, "POST");
    EXPECT_EQ(one.url, "http://lt.test:5000/translate");
    EXPECT_NE(one.headers.find("Content-Type: application/json\r\n"), Text::npos);
    EXPECT_NE(one.headers.find("Accept-Language: en\r\n"), Text::npos) << "limit errors in English";
    EXPECT_EQ(body_of(one), R"({"format":"text","q":"Hello!","source":"en","target":"zh"})");

    // Several texts go as a list, in UTF-8 as typed; the key goes in the body, never in the URL.
    net::HttpRequest many = libretranslate::request(libre("k-123"), {"你好", "a\"b"}, "zt", "en");
    EXPECT_EQ(body_of(many), R"({"api_key":"k-123","format":"text","q":["你好","a\"b"],"source":"zt","target":"en"})");
    EXPECT_EQ(many.url.find("k-123"), Text::npos);
    EXPECT_EQ(libretranslate::language_code("ja", false), Text("ja"));
    EXPECT_EQ(libretranslate::language_code("zh-TW", true), Text("zt"));
    EXPECT_EQ(libretranslate::language_code("auto", true), Text("auto"));
    EXPECT_EQ(libretranslate::settings_request(libre()).url, "http://lt.test:5000/frontend/settings");
}

TEST(LibreTranslate, ReadsTheDocumentedReplies) {
    libretranslate::Reading single = libretranslate::read(reply(200, "{\"translatedText\": \"\xc2\xa1Hola!\"}"), 1);
    ASSERT_TRUE(single.ok);
    EXPECT_EQ(single.translations, std::vector<Text>{"¡Hola!"});
    libretranslate::Reading detected = libretranslate::read(
        reply(200, R"({"detectedLanguage": {"confidence": 83, "language": "it"}, "translatedText": "Bye!"})"), 1);
    EXPECT_TRUE(detected.ok);
    libretranslate::Reading batch = libretranslate::read(reply(200, R"({"translatedText": ["a", "b"]})"), 2);
    ASSERT_TRUE(batch.ok);
    EXPECT_EQ(batch.translations, (std::vector<Text>{"a", "b"}));
    // A translation may hold any mark: nothing reads it again.
    EXPECT_EQ(libretranslate::read(reply(200, R"({"translatedText": "see [1],[2] \",\" ]],"})"), 1).translations[0],
              "see [1],[2] \",\" ]],");

    libretranslate::Reading slow = libretranslate::read(reply(429, R"({"error": "Slowdown: 20 per 1 minute"})"), 1);
    EXPECT_FALSE(slow.ok);
    EXPECT_EQ(slow.message, "Slowdown: 20 per 1 minute");
    EXPECT_FALSE(slow.too_large);
    libretranslate::Reading limit =
        libretranslate::read(reply(400, R"x({"error": "Invalid request: request (40) exceeds text limit (25)"})x"), 40);
    EXPECT_TRUE(limit.too_large);
    EXPECT_EQ(limit.refused_size, 40u);
    EXPECT_EQ(limit.limit, 25u);
    EXPECT_TRUE(libretranslate::read(reply(413, "<html>413 Request Entity Too Large</html>"), 3).too_large);
    EXPECT_EQ(libretranslate::read_char_limit(reply(200, R"({"charLimit": 5000})")), 5000u);
    EXPECT_EQ(libretranslate::read_char_limit(reply(200, R"({"charLimit": -1})")), 0u);
    EXPECT_EQ(libretranslate::read_char_limit(reply(404, "")), 0u);
    EXPECT_EQ(libretranslate::read_char_limit(reply(200, R"({"charLimit": "5"})")), 0u);
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
    EXPECT_EQ(libretranslate::read(reply(200, R"({"translatedText": ["a"]})"), 1).translations, std::vector<Text>{"a"});
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

TEST(LibreTranslate, EmptyPiecesAreNotSentAndTranslateToNothing) {
    Server server;
    Translations translations = run(server, {"", "a", "", "b", ""});
    ASSERT_TRUE(translations.failure.empty()) << translations.failure;
    EXPECT_EQ(texts_of(translations), (std::vector<Text>{"", "zh:a", "", "zh:b", ""}));
    ASSERT_EQ(server.bodies.size(), 1u);
    EXPECT_EQ(nlohmann::json::parse(server.bodies[0])["q"], nlohmann::json({"a", "b"}));
    // Nothing at all to send: no request, not even for the server's settings.
    Server idle;
    EXPECT_EQ(texts_of(run(idle, {"", ""})), (std::vector<Text>{"", ""}));
    EXPECT_TRUE(idle.bodies.empty());
    EXPECT_EQ(idle.settings_requests, 0);
}

TEST(LibreTranslate, BatchLimitsTheServerStatesInAnyLanguageAndAProxys413) {
    std::vector<Text> pieces;
    for (int i = 0; i < 11; ++i) pieces.push_back("p" + runtime::to_text(i));
    std::vector<Text> expected;
    for (const Text& piece : pieces) expected.push_back("zh:" + piece);

    Server open;
    EXPECT_EQ(texts_of(run(open, pieces)), expected);
    EXPECT_EQ(open.bodies.size(), 1u);

    // The limit the server states is taken as it is: 11 texts, 3 a request, after one refusal.
    Server limited;
    limited.batch_limit = 3;
    EXPECT_EQ(texts_of(run(limited, pieces)), expected);
    EXPECT_EQ(limited.bodies.size(), 1u + 4u);
    Server german = limited;
    german.german = true;
    german.bodies.clear();
    EXPECT_EQ(texts_of(run(german, pieces)), expected) << "the numbers are read whatever the words";

    // A proxy's 413 says no limit: batches are halved until it lets them through.
    Server proxied;
    proxied.proxy_body_limit = 150;
    EXPECT_EQ(texts_of(run(proxied, pieces)), expected);
    for (size_t i = 1; i < proxied.bodies.size(); ++i) EXPECT_LE(proxied.bodies[i].size(), 300u);

    // A single text that even alone is over what the proxy takes goes in parts, joined.
    Server tight;
    tight.proxy_body_limit = 120;
    Translations long_one = run(tight, {"one two three four five six seven eight nine ten eleven twelve"});
    ASSERT_TRUE(long_one.failure.empty()) << long_one.failure;
    EXPECT_NE(long_one.pieces[0].text.find("zh:one"), Text::npos);
    EXPECT_NE(long_one.pieces[0].text.find("twelve"), Text::npos);

    // A server that refuses a single character is an error line, not a loop.
    Server refusing;
    refusing.char_limit = 0;
    refusing.has_settings = false;
    Translations refused = run(refusing, {"p"});
    EXPECT_EQ(refused.failure,
              "翻译失败：LibreTranslate 返回 HTTP 400：Invalid request: request (1) exceeds text limit (0)");
    EXPECT_LE(refusing.bodies.size(), 2u);
}

TEST(LibreTranslate, LongTextsGoInPartsWithinTheCharacterLimit) {
    Text sentence = "This sentence has exactly fifty characters in it. ";
    Text long_text;
    for (int i = 0; i < 30; ++i) long_text += sentence;  // 1,500 characters
    long_text.pop_back();
    // The limit told at /frontend/settings: no request over it, the text comes back whole.
    Server told;
    told.char_limit = 200;
    Translations whole = run(told, {long_text, "short"});
    ASSERT_TRUE(whole.failure.empty()) << whole.failure;
    EXPECT_EQ(told.settings_requests, 1);
    for (const std::string& body : told.bodies) {
        size_t chars = 0;
        nlohmann::json q = nlohmann::json::parse(body)["q"];
        for (const auto& text : q.is_array() ? q : nlohmann::json::array({q})) chars += characters(text);
        EXPECT_LE(chars, 200u);
    }
    Text joined = whole.pieces[0].text;
    EXPECT_EQ(joined.rfind("zh:This sentence", 0), 0u);
    EXPECT_EQ(joined.substr(joined.size() - 17), "characters in it.") << joined;
    EXPECT_EQ(whole.pieces[1].text, "zh:short");
    // Cut at sentence ends: every part but the first starts a sentence, joined with its space.
    EXPECT_NE(joined.find("in it. zh:This sentence"), Text::npos) << joined;

    // A server that tells nothing: the limit is learnt from its refusal, in Chinese as well.
    Server silent;
    silent.char_limit = 120;
    silent.has_settings = false;
    Text chinese;
    for (int i = 0; i < 40; ++i) chinese += "这是一句中文，";
    Translations learnt = run(silent, {chinese});
    ASSERT_TRUE(learnt.failure.empty()) << learnt.failure;
    Text parts_joined = learnt.pieces[0].text;
    size_t parts = 0;
    for (size_t at = parts_joined.find("zh:"); at != Text::npos; at = parts_joined.find("zh:")) {
        parts_joined.erase(at, 3), ++parts;
    }
    EXPECT_EQ(parts_joined, chinese) << "every clause, in order, nothing between the parts";
    EXPECT_EQ(parts, 3u) << "120 characters a request, cut after a full-width comma";
}
