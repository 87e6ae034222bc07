// Google's web endpoint: the requests open-source clients send, both forms of its reply with the
// dictionary, what its refusals tell the user, long texts split into requests it takes, and speech
// in parts of 200 characters.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

#include "engines/google_web.h"
#include "net/url.h"

using namespace engines;

namespace {

net::HttpReply reply(int status, const std::string& body) {
    return {status, runtime::Bytes(body.begin(), body.end()), 0};
}

Choice web(const Text& client = "") {
    Choice made;
    made.engine = &google_web::engine();
    made.address = "https://translate.googleapis.com";
    made.client = client;
    return made;
}

// The decoded value of a query parameter.
Text parameter(const Text& url, const Text& name) {
    size_t at = url.find("&" + name + "=");
    if (at == Text::npos) at = url.find("?" + name + "=");
    if (at == Text::npos) return "<none>";
    size_t start = at + name.size() + 2;
    return net::url_decode(url.substr(start, url.find('&', start) - start));
}

size_t occurrences(const Text& text, const Text& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != Text::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// The endpoint's array reply for a text: its sentences as segments, "<tl>:" before the first.
net::HttpReply array_reply(const net::HttpRequest& request) {
    Text text = parameter(request.url, "q");
    return reply(200, R"([[[")" + parameter(request.url, "tl") + ":" + text + R"(","x",null,null,10]],null,"en"])");
}

const Language kEnglish{"en", "英语"}, kChinese{"zh-CN", "中文(简体)"};

}  // namespace

TEST(GoogleWeb, RequestsAsOpenSourceClientsSendThem) {
    net::HttpRequest request = google_web::translation_request(web(), "a b&c=d/é?", "en", "zh-CN");
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.url,
              "https://translate.googleapis.com/translate_a/single?client=dict-chrome-ex&sl=en&tl=zh-CN&hl=zh-CN&dt=t"
              "&dt=bd&ie=UTF-8&oe=UTF-8&q=a%20b%26c%3Dd%2F%C3%A9%3F");
    EXPECT_EQ(occurrences(request.headers, "User-Agent: "), 1u);
    EXPECT_NE(request.headers.find("Chrome/"), Text::npos);
    EXPECT_TRUE(request.body.empty());

    // Whatever client the user writes goes as it is, escaped.
    EXPECT_EQ(parameter(google_web::translation_request(web("gtx"), "x", "auto", "zh-TW").url, "client"), "gtx");
    Text odd = google_web::translation_request(web("my client&x=1"), "x", "auto", "zh-TW").url;
    EXPECT_EQ(parameter(odd, "client"), "my client&x=1");
    EXPECT_EQ(parameter(odd, "sl"), "auto");
    EXPECT_EQ(parameter(odd, "tl"), "zh-TW");
    // The lists' codes are the endpoint's.
    for (const char* code : {"zh-CN", "zh-TW", "en", "ko", "tl", "auto"}) {
        EXPECT_EQ(google_web::language_code(code, true), Text(code));
    }

    net::HttpRequest speech = google_web::speech_request(web("tw-ob"), "안녕 하세요", "ko");
    EXPECT_EQ(speech.url, "https://translate.googleapis.com/translate_tts?ie=UTF-8&client=tw-ob&tl=ko&q=" +
                              net::percent_encode_component("안녕 하세요"));
    EXPECT_EQ(occurrences(speech.headers, "User-Agent: "), 1u);
}

TEST(GoogleWeb, BothReplyFormsWithTheDictionary) {
    const char* array = u8R"([[["打印","print",null,null,10],["。",".",null,null,3],[null,null,"Dǎyìn"]],
        [["名词",["打印","印刷品",""],[["打印",["print"],null,0.08]],"print",1],
         ["动词",["打印","印"],[],"print",2],["形容词",[]],[5,["x"]]],"en",null,null,null,1.0,[]])";
    google_web::Reading read = google_web::read_translation(reply(200, array), true);
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.translation.text, "打印。") << "segments joined, the transliteration left out";
    ASSERT_TRUE(read.translation.dictionary);
    const Dictionary& dictionary = *read.translation.dictionary;
    ASSERT_EQ(dictionary.entries.size(), 2u) << "entries without words or a part of speech are left out";
    EXPECT_TRUE(dictionary.separated);
    EXPECT_EQ(dictionary.entries[0].part_of_speech, "名词");
    EXPECT_EQ(dictionary.entries[0].words, (std::vector<Text>{"打印", "印刷品"}));
    EXPECT_EQ(dictionary.entries[1].words, (std::vector<Text>{"打印", "印"}));
    EXPECT_FALSE(google_web::read_translation(reply(200, array), false).translation.dictionary) << "not asked for";

    // A translation holding the marks of the classic reply is taken whole.
    google_web::Reading marks = google_web::read_translation(reply(200, R"([[["say \"x\",\"y\" [1],[2]]]","s"]]])"), true);
    ASSERT_TRUE(marks.ok);
    EXPECT_EQ(marks.translation.text, R"(say "x","y" [1],[2]]])");
    EXPECT_FALSE(marks.translation.dictionary);

    google_web::Reading object = google_web::read_translation(
        reply(200, u8R"({"sentences":[{"trans":"你好","orig":"Hello"},{"trans":"！","orig":"!"},{"translit":"Nǐ hǎo"}],
        "dict":[{"pos":"感叹词","terms":["你好!","喂!"],"entry":[]},{"pos":"名词"}],"src":"en"})"),
        true);
    ASSERT_TRUE(object.ok);
    EXPECT_EQ(object.translation.text, "你好！");
    ASSERT_TRUE(object.translation.dictionary);
    ASSERT_EQ(object.translation.dictionary->entries.size(), 1u);
    EXPECT_EQ(object.translation.dictionary->entries[0].part_of_speech, "感叹词");
    EXPECT_FALSE(object.translation.dictionary->separated);

    // Nothing to translate in it (no segments): an empty translation, as the endpoint meant it.
    EXPECT_TRUE(google_web::read_translation(reply(200, R"([null,null,"en"])"), true).ok);
    for (const char* body : {"", "{}", "[]", "5", R"(["x"])", R"([[5]])", R"({"sentences":[5]})",
                             "<html><title>Error 400 (Bad Request)!!1</title></html>", R"([[["cut",)"}) {
        EXPECT_FALSE(google_web::read_translation(reply(200, body), true).ok) << body;
    }
    EXPECT_FALSE(google_web::read_translation(reply(403, R"([[["x","y"]]])"), true).ok);
    EXPECT_FALSE(google_web::read_translation(reply(302, R"([[["x","y"]]])"), true).ok);
}

TEST(GoogleWeb, RefusalsSayWhatTheyMeanAndWhatToDo) {
    const Text what_to_do = "：请稍后再试，或在 tarvik.ini 中换一个 client，或在服务设置中选择其他服务";
    EXPECT_EQ(google_web::refusal_line(web("gtx"), reply(429, "<html>sorry</html>")),
              "翻译失败：Google 网页接口返回 HTTP 429（请求过多，Google 暂时拒绝了本机的请求）" + what_to_do);
    EXPECT_EQ(google_web::refusal_line(web(), reply(403, "<html>403</html>")),
              "翻译失败：Google 网页接口返回 HTTP 403（Google 不接受 client=dict-chrome-ex 的请求）" + what_to_do);
    EXPECT_EQ(google_web::refusal_line(web("t"), reply(403, "")),
              "翻译失败：Google 网页接口返回 HTTP 403（Google 不接受 client=t 的请求）" + what_to_do);
    Text redirect = google_web::refusal_line(web(), reply(302, ""));
    EXPECT_EQ(redirect.rfind("翻译失败：Google 网页接口返回 HTTP 302（", 0), 0u) << redirect;
    EXPECT_NE(redirect.find("机器人"), Text::npos);
    EXPECT_EQ(google_web::refusal_line(web(), reply(500, "")), "翻译失败：Google 网页接口返回 HTTP 500" + what_to_do);
    EXPECT_EQ(google_web::refusal_line(web(), reply(200, "<html>")),
              "翻译失败：Google 网页接口的回复无法识别（HTTP 200）：Google 可能改变了这个接口，请在服务设置中选择其他服务");
    EXPECT_EQ(google_web::refusal_line(web(), net::HttpReply{0, {}, net::kErrorTimeout}),
              "翻译失败：Google 网页接口没有及时回应（超时）");
}

TEST(GoogleWeb, LongTextsGoInRequestsTheEndpointTakesAndComeBackWhole) {
    std::mutex mutex;
    std::vector<Text> urls;
    std::atomic<int> in_flight{0}, most{0};
    net::HttpSend send = [&](const net::HttpRequest& request) {
        int now = ++in_flight;
        for (int seen = most; now > seen && !most.compare_exchange_weak(seen, now);) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        {
            std::lock_guard<std::mutex> lock(mutex);
            urls.push_back(request.url);
        }
        --in_flight;
        return array_reply(request);
    };
    Text chinese;
    for (int i = 0; i < 900; ++i) chinese += i % 40 == 39 ? "。" : "长";
    Text english;
    for (int i = 0; i < 120; ++i) english += "Sentence " + runtime::to_text(i) + " is here. ";
    std::vector<Text> pieces{chinese, "", english, "short"};
    Translations done = translate_pieces(web(), pieces, false, kEnglish, kChinese, send);
    ASSERT_TRUE(done.failure.empty()) << done.failure;
    ASSERT_EQ(done.pieces.size(), 4u);
    EXPECT_GT(urls.size(), 6u) << "the long pieces went in parts";
    EXPECT_LE(most.load(), 4);
    for (const Text& url : urls) {
        EXPECT_LE(url.size(), 2200u) << "about 2 KB at most";
        EXPECT_FALSE(parameter(url, "q").empty()) << "empty pieces are not sent";
    }
    // Each part came back as "zh-CN:" and itself: taking the marks out gives the piece again.
    auto without_marks = [](Text text) {
        for (size_t at; (at = text.find("zh-CN:")) != Text::npos;) text.erase(at, 6);
        return text;
    };
    EXPECT_EQ(without_marks(done.pieces[0].text), chinese);
    EXPECT_EQ(done.pieces[1].text, "");
    EXPECT_EQ(without_marks(done.pieces[2].text), english);
    EXPECT_EQ(done.pieces[3].text, "zh-CN:short");

    // One refused part: one line and nothing of the rest.
    std::atomic<int> answered{0};
    net::HttpSend refusing = [&](const net::HttpRequest& request) {
        return ++answered == 3 ? reply(429, "<html>sorry</html>") : array_reply(request);
    };
    Translations refused = translate_pieces(web(), pieces, false, kEnglish, kChinese, refusing);
    EXPECT_TRUE(refused.pieces.empty());
    EXPECT_EQ(refused.failure.rfind("翻译失败：Google 网页接口返回 HTTP 429", 0), 0u) << refused.failure;
}

TEST(GoogleWeb, SpeechInPartsOfTwoHundredCharacters) {
    std::vector<Text> spoken;
    net::HttpSend send = [&](const net::HttpRequest& request) {
        spoken.push_back(parameter(request.url, "q"));
        return reply(200, "ID3");
    };
    Text text;
    for (int i = 0; i < 40; ++i) text += "Word number " + runtime::to_text(i) + ", of a long text. ";
    std::optional<runtime::Bytes> clip = speak(web(), text, "en", send);
    ASSERT_TRUE(clip);
    ASSERT_GE(spoken.size(), 4u);
    Text joined;
    for (const Text& part : spoken) {
        EXPECT_LE(part.size(), 200u);
        EXPECT_NE(part.back(), 'W') << "not cut inside a word: " << part;
        joined += part;
    }
    auto without_spaces = [](Text text) {
        text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
        return text;
    };
    EXPECT_EQ(without_spaces(joined), without_spaces(text)) << "every word, in order";

    EXPECT_EQ(google_web::read_speech(reply(200, "ID3\x04")), runtime::Bytes({'I', 'D', '3', 4}));
    EXPECT_TRUE(google_web::read_speech(reply(200, "\xFF\xFB\x90")));
    EXPECT_FALSE(google_web::read_speech(reply(200, "<html>")));
    EXPECT_FALSE(google_web::read_speech(reply(429, "ID3")));
    EXPECT_FALSE(google_web::read_speech(reply(200, "")));
}
