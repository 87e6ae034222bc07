// Translation engines end to end: the real window, the real WinInet client and the stand-in
// speaking LibreTranslate's API, over HTTP and TLS.
#include <algorithm>
#include <chrono>

#include "net/url.h"
#include "runtime/utf.h"
#include "speech/media_player.h"
#include "speech/speech_output.h"
#include "tests/shell/shell_fixture.h"

using namespace shell_test;

namespace {

void use_engine(const std::string& engine, const std::string& address, const std::string& key = "") {
    engines::Settings settings = standin::settings();
    settings.translation = {engine, address, key, false, std::string(), "", ""};
    engines::use_settings(settings);
}

std::string body_of(const std::string& record) { return record.substr(record.find("\r\n\r\n") + 4); }

}  // namespace

class Engine : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        use_engine("libretranslate", "http://" + standin::host());
    }
};

TEST_F(Engine, LibreTranslateOneLineAndSeveralLines) {
    EXPECT_EQ(translated_text("Hello"), "你好");
    auto requests = standin::log();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(standin::request_line(requests[0]), "GET /frontend/settings HTTP/1.1") << "the server's limits first";
    requests.erase(requests.begin());
    EXPECT_EQ(standin::request_line(requests[0]), "POST /translate HTTP/1.1");
    EXPECT_NE(requests[0].find("Content-Type: application/json\r\n"), std::string::npos);
    EXPECT_EQ(body_of(requests[0]), R"({"format":"text","q":"Hello","source":"en","target":"zh"})");

    // Several lines: every clause in one request, joined as the classic endpoint's replies are.
    standin::reset();
    EXPECT_EQ(translated_text("one, two\r\nthree"), "zh:one,zh: two.\r\nzh:three.\r\n");
    requests = standin::log();
    ASSERT_EQ(requests.size(), 2u);
    requests.erase(requests.begin());
    EXPECT_NE(body_of(requests[0]).find(R"("q":["one"," two","three"])"), std::string::npos) << requests[0];

    // A server that takes two texts at a time gets them in smaller batches, with the same result.
    standin::reset();
    standin::get("/_config?service=libretranslate&batch_limit=2");
    EXPECT_EQ(translated_text("one, two\r\nthree"), "zh:one,zh: two.\r\nzh:three.\r\n");
    EXPECT_EQ(standin::count("/translate"), 3);
}

TEST_F(Engine, TheKeyTravelsInTheBodyOnly) {
    standin::get("/_config?service=libretranslate&key=k-secret");
    EXPECT_EQ(translated_text("Hi"),
              "翻译失败：LibreTranslate 返回 HTTP 400：Please contact the server operator to get an API key");
    use_engine("libretranslate", "http://" + standin::host(), "wrong");
    EXPECT_EQ(translated_text("Hi"), "翻译失败：LibreTranslate 返回 HTTP 403：Invalid API key");
    use_engine("libretranslate", "http://" + standin::host(), "k-secret");
    EXPECT_EQ(translated_text("Hi"), "你好");
    for (const std::string& record : standin::log()) {
        EXPECT_EQ(standin::request_line(record).find("k-secret"), std::string::npos);
    }
    EXPECT_NE(body_of(standin::log().back()).find(R"("api_key":"k-secret")"), std::string::npos);
}

TEST_F(Engine, RefusalsAndBrokenRepliesShowOneLineAndLeaveTheSource) {
    struct Case {
        std::string mode, shown;
    };
    const Case cases[] = {
        {"fault=status&code=429", "翻译失败：LibreTranslate 返回 HTTP 429：Slowdown: 20 per 1 minute"},
        {"fault=status&code=500&body=boom", "翻译失败：LibreTranslate 返回 HTTP 500：boom"},
        {"fault=badjson", "翻译失败：LibreTranslate 的回复无法识别（HTTP 200）"},
        {"fault=wrongtypes", "翻译失败：LibreTranslate 的回复无法识别（HTTP 200）"},
        {"fault=json&body=%7B%7D", "翻译失败：LibreTranslate 的回复无法识别（HTTP 200）"},
        {"fault=redirect", "翻译失败：LibreTranslate 返回 HTTP 302"},
        {"fault=big&bytes=3145728", "翻译失败：LibreTranslate 的回复无法识别（HTTP 200）"},
        {"fault=close", "翻译失败：LibreTranslate 的回复无法识别（HTTP 200）"},
        {"fault=utf8bad", "翻译失败：LibreTranslate 的回复无法识别（HTTP 200）"},
    };
    for (const Case& c : cases) {
        standin::reset();
        standin::mode(c.mode);
        EXPECT_EQ(translated_text("a\r\nb"), c.shown) << c.mode;
        EXPECT_EQ(shell::content(Control::要翻译的), "a\r\nb");
        EXPECT_EQ(tasks::translationBusy.load(), 0);
    }
    use_engine("libretranslate", "http://127.0.0.1:1");
    EXPECT_EQ(translated_text("a").rfind("翻译失败：无法连接 LibreTranslate（错误 ", 0), 0u);
}

TEST_F(Engine, AStalledServiceTimesOutAndTheWindowKeepsAnswering) {
    standin::mode("fault=stall&seconds=25");
    shell::set_content(Control::要翻译的, "slow");
    click(Control::翻译按钮);
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutA(main_window(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer), 0);
    ASSERT_TRUE(test_support::wait_until(translated, 60000));
    EXPECT_EQ(shell::content(Control::已翻译结果), "翻译失败：LibreTranslate 没有及时回应（超时）");
}

TEST_F(Engine, UnknownEngineNamesTheSettingAndSendsNothing) {
    use_engine("babelfish", "");
    EXPECT_EQ(translated_text("a"),
              "翻译失败：tarvik.ini 的 [translation] engine=babelfish "
              "不是可用的引擎（可用：classic、google-web、libretranslate、lingva、google-cloud、deepl、microsoft）");
    EXPECT_TRUE(standin::log().empty());
}

TEST_F(Engine, HttpsWithTheCertificateChecked) {
    std::string trusted = test_support::environment("TARVIK_STANDIN_TLS_PORT");
    std::string untrusted = test_support::environment("TARVIK_STANDIN_UNTRUSTED_PORT");
    if (trusted.empty() || untrusted.empty()) GTEST_SKIP() << "no test certificate authority in the trust store";
    use_engine("libretranslate", "https://localhost:" + trusted + "/");
    EXPECT_EQ(translated_text("Hello"), "你好");
    EXPECT_EQ(standin::count("/translate"), 1);

    use_engine("libretranslate", "https://localhost:" + untrusted);
    std::string refused = translated_text("Hello");
    EXPECT_EQ(refused.rfind("翻译失败：LibreTranslate 的证书不受信任（错误 ", 0), 0u) << refused;
    EXPECT_EQ(standin::count("/translate"), 1) << "nothing was sent to the untrusted server";
}

TEST_F(Engine, NoSpeechSendsAndPlaysNothing) {
    engines::Settings settings = standin::settings();
    settings.speech_section = true;
    settings.speech.engine = "none";
    engines::use_settings(settings);
    shell::set_content(Control::要翻译的, "speak");
    shell::set_content(Control::已翻译结果, "speak");
    click(Control::朗读按钮);
    click(Control::朗读按钮1);
    ASSERT_TRUE(test_support::wait_until(all_idle, 30000));
    EXPECT_TRUE(standin::log().empty());
}

namespace {

std::vector<std::string> requests_to(const std::string& path) {
    std::vector<std::string> found;
    for (const std::string& record : standin::log()) {
        if (standin::request_line(record).find(" " + path) != std::string::npos) found.push_back(record);
    }
    return found;
}

void speak_result() {
    click(Control::朗读按钮);
    ASSERT_TRUE(test_support::wait_until(all_idle, 60000));
}

}  // namespace

TEST_F(Engine, GoogleCloudTranslatesWithTheKeyInTheHeaderOnly) {
    standin::get("/_config?service=google&key=AIza-test");
    use_engine("google-cloud", "http://" + standin::host(), "AIza-test");
    EXPECT_EQ(translated_text("Hello"), "你好");
    EXPECT_EQ(translated_text("one, two\r\nthree"), "zh-CN:one,zh-CN: two.\r\nzh-CN:three.\r\n");
    auto requests = requests_to("/language/translate/v2");
    ASSERT_EQ(requests.size(), 2u) << "several lines in one request";
    for (const std::string& record : requests) {
        EXPECT_EQ(standin::request_line(record), "POST /language/translate/v2 HTTP/1.1");
        EXPECT_NE(record.find("X-Goog-Api-Key: AIza-test\r\n"), std::string::npos);
        EXPECT_EQ(body_of(record).find("AIza"), std::string::npos);
    }
    use_engine("google-cloud", "http://" + standin::host(), "wrong");
    EXPECT_EQ(translated_text("Hello"),
              "翻译失败：Google Cloud 返回 HTTP 400：API key not valid. Please pass a valid API key.");
}

TEST_F(Engine, GoogleCloudSpeaksWithTheSameKeyAndAFailureLeavesNoFile) {
    standin::get("/_config?service=google&key=AIza-test");
    engines::Settings settings = standin::settings();
    settings.translation = {"google-cloud", "http://" + standin::host(), "AIza-test", false, std::string(), "", ""};
    settings.speech_section = true;
    settings.speech = {"google-cloud", "http://" + standin::host(), "AIza-test", false, std::string(), "", ""};
    engines::use_settings(settings);
    translate::targetLanguageCode.set("zh-CN");
    shell::set_content(Control::已翻译结果, "你好\r\n\r\n感叹词: 1.hello");
    speak_result();
    auto requests = requests_to("/v1/text:synthesize");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(body_of(requests[0]).find("\"languageCode\":\"cmn-CN\""), std::string::npos) << requests[0];
    EXPECT_EQ(test_support::read_file(speech::result_speech_file()),
              test_support::read_file(test_support::windows_path(test_support::environment("TARVIK_TEST_MP3"))));

    // A refused request plays nothing and leaves no file for a later press to play again.
    settings.speech.key = "wrong";
    engines::use_settings(settings);
    shell::set_content(Control::已翻译结果, "another line");
    speak_result();
    EXPECT_FALSE(runtime::file_exists(speech::result_speech_file()));
    speak_result();
    EXPECT_EQ(requests_to("/v1/text:synthesize").size(), 3u) << "the failed text is asked for again";
}

TEST_F(Engine, LingvaShowsDictionaryLinesAndSpeaksWithoutAKey) {
    use_engine("lingva", "http://" + standin::host());
    EXPECT_EQ(translated_text("print"), "打印\r\n\r\n名词: 1.印刷品  2.打印  \r\n\r\n动词: 1.打印  2.印  \r\n\r\n");
    EXPECT_EQ(translated_text("hello"), "你好\r\n\r\n感叹词: 1.你好!  2.喂!  ");
    EXPECT_EQ(translated_text("a\r\nb"), "zh:a.\r\nzh:b.\r\n");
    EXPECT_EQ(requests_to("/api/v1/en/zh/").size(), 4u) << "one request a piece";

    // Without a [speech] section Lingva speaks too, and the same text is played again from the file.
    shell::set_content(Control::已翻译结果, "你好");
    speak_result();
    speak_result();
    auto audio = requests_to("/api/v1/audio/");
    ASSERT_EQ(audio.size(), 1u);
    EXPECT_EQ(standin::request_line(audio[0]), "GET /api/v1/audio/zh/%E4%BD%A0%E5%A5%BD HTTP/1.1");
    EXPECT_EQ(test_support::read_file(speech::result_speech_file()),
              test_support::read_file(test_support::windows_path(test_support::environment("TARVIK_TEST_MP3"))));

    standin::mode("fault=status&code=500");
    EXPECT_EQ(translated_text("x"),
              "翻译失败：Lingva 返回 HTTP 500：An error occurred while retrieving the translation");
}

namespace {

// The part of a recorded request line between the path prefix and " HTTP/1.1", decoded.
std::string decoded_text_after(const std::string& record, const std::string& prefix) {
    std::string line = standin::request_line(record);
    size_t from = line.find(prefix) + prefix.size();
    return net::url_decode(line.substr(from, line.rfind(' ') - from));
}

int concurrency_of(const std::string& service) { return std::stoi("0" + standin::get("/_concurrency?service=" + service)); }

}  // namespace

TEST_F(Engine, LingvaAsTheRealServiceTakesIt) {
    use_engine("lingva", "http://" + standin::host());
    // Traditional Chinese is a target of Lingva's only: as the source it goes as Chinese.
    shell::set_ticked(Control::选择框1, false);
    shell::set_selection(Control::源语言组合框, 1);
    shell::set_selection(Control::目标语言组合框, 2);
    EXPECT_EQ(translated_text("打印"), "print");
    EXPECT_EQ(standin::request_line(standin::log().back()).rfind("GET /api/v1/zh/en/", 0), 0u);

    // Empty clauses are not sent: a URL with an empty last segment is no request Lingva answers.
    standin::reset();
    shell::set_selection(Control::源语言组合框, 2);
    shell::set_selection(Control::目标语言组合框, 0);
    EXPECT_EQ(translated_text("a,,b\r\n,c"), "zh:a,,zh:b.\r\n,zh:c.\r\n");
    EXPECT_EQ(requests_to("/api/v1/en/zh/").size(), 3u);

    // A line longer than a URL takes goes in parts and comes back whole, in order.
    standin::reset();
    std::string line;
    for (int i = 0; i < 300; ++i) line += "word" + std::to_string(i) + " ";  // about 2,300 bytes
    line += "end";
    std::string result = translated_text(line);
    auto parts = requests_to("/api/v1/en/zh/");
    ASSERT_GE(parts.size(), 2u);
    // The parts go side by side, so the server may receive them in any order; each is a piece of
    // the line, and together they are all of it.
    std::vector<std::string> texts;
    for (const std::string& part : parts) texts.push_back(decoded_text_after(part, "/api/v1/en/zh/"));
    std::sort(texts.begin(), texts.end(), [&](const std::string& a, const std::string& b) {
        return line.find(a) < line.find(b);
    });
    std::string joined;
    for (const std::string& text : texts) {
        EXPECT_LE(text.size(), 1500u);
        joined += (joined.empty() ? "" : " ") + text;
    }
    EXPECT_EQ(joined, line);
    EXPECT_EQ(result.rfind("zh:word0 word1", 0), 0u);
    EXPECT_EQ(result.substr(result.size() - 3), "end");
}

TEST_F(Engine, LingvaSendsSeveralLinesSideBySide) {
    use_engine("lingva", "http://" + standin::host());
    standin::get("/_config?service=lingva&delay_ms=100");
    std::string source, expected;
    for (int i = 0; i < 20; ++i) source += "line" + std::to_string(i) + "\r\n";
    for (int i = 0; i < 20; ++i) expected += "zh:line" + std::to_string(i) + ".\r\n";
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(translated_text(source), expected);
    auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(concurrency_of("lingva"), 4) << "four in flight to the server, never more";
    EXPECT_LT(took, std::chrono::milliseconds(20 * 100)) << "not one after another";

    // A refusal of any of them is the usual one line, and nothing half-translated shows.
    standin::reset();
    standin::mode("fault=status&code=429");
    EXPECT_EQ(translated_text(source).rfind("翻译失败：Lingva 返回 HTTP 429", 0), 0u);
}

TEST_F(Engine, LibreTranslateKeepsWithinTheServersLimits) {
    std::string sentence = "This sentence has exactly fifty characters in it. ";
    std::string text;
    for (int i = 0; i < 12; ++i) text += sentence;
    text.pop_back();
    std::string expected_start = "zh:This sentence";

    // The limit the server tells at /frontend/settings: every request within it, the line whole.
    standin::get("/_config?service=libretranslate&char_limit=120");
    std::string result = translated_text(text);
    EXPECT_EQ(result.rfind(expected_start, 0), 0u) << result;
    EXPECT_EQ(result.substr(result.size() - std::string("characters in it。").size()), "characters in it。") << result;
    auto requests = requests_to("/translate");
    EXPECT_GE(requests.size(), 5u);
    for (const std::string& record : requests) EXPECT_LE(body_of(record).size(), 120u + 80u);

    // A proxy in front refusing large bodies with its own 413 page: batches are halved.
    standin::reset();
    standin::get("/_config?service=libretranslate&proxy_body_limit=200");
    std::string lines, expected_lines;
    for (int i = 0; i < 10; ++i) lines += "line number " + std::to_string(i) + "\r\n";
    for (int i = 0; i < 10; ++i) expected_lines += "zh:line number " + std::to_string(i) + ".\r\n";
    EXPECT_EQ(translated_text(lines), expected_lines);

    // The server's limit error in another language: the numbers are read all the same.
    standin::reset();
    standin::get("/_config?service=libretranslate&batch_limit=3&locale=de");
    EXPECT_EQ(translated_text(lines), expected_lines);
}

TEST_F(Engine, LongTextsAreSpokenInPartsAsOneClip) {
    engines::Settings settings = standin::settings();
    settings.speech_section = true;
    settings.speech = {"lingva", "http://" + standin::host(), "", false, std::string(), "", ""};
    engines::use_settings(settings);
    translate::targetLanguageCode.set("en");
    std::string line;
    for (int i = 0; i < 30; ++i) line += "Part " + std::to_string(i) + " of a long line to speak. ";
    shell::set_content(Control::已翻译结果, line);
    std::vector<std::string> commands;
    speech::observe_media_commands([&](const std::string& command, bool) { commands.push_back(command); });
    speak_result();
    speech::observe_media_commands(nullptr);
    auto audio = requests_to("/api/v1/audio/");
    ASSERT_GE(audio.size(), 5u);
    for (const std::string& record : audio) {
        EXPECT_LE(runtime::utf8_to_utf16(decoded_text_after(record, "/api/v1/audio/en/")).size(), 200u);
    }
    // One file of every part's frames, as long as all of them: the player plays it whole.
    std::string one_part = test_support::read_file(test_support::windows_path(test_support::environment("TARVIK_TEST_MP3")));
    EXPECT_GT(test_support::read_file(speech::result_speech_file()).size(), one_part.size() * (audio.size() - 1));
    EXPECT_NE(std::find(commands.begin(), commands.end(), "play " + speech::media_alias()), commands.end());

    // The same text with another speech engine is fetched anew, not replayed from the file.
    standin::reset();
    settings.speech = {"lingva", "http://localhost:" + test_support::environment("TARVIK_STANDIN_PORT"), "", false,
                       std::string(), "", ""};
    engines::use_settings(settings);
    speak_result();
    EXPECT_GE(requests_to("/api/v1/audio/").size(), 5u);
}

namespace {

// Lines "clause 0" to "clause N-1", each a clause of its own.
std::string clauses(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "clause " + std::to_string(i) + "\r\n";
    return text;
}

// Translates into 中文(繁体) with the lists, automatic recognition off.
std::string translated_into_traditional(const std::string& source) {
    shell::set_ticked(Control::选择框1, false);
    shell::set_selection(Control::源语言组合框, 2);
    shell::set_selection(Control::目标语言组合框, 1);
    return translated_text(source);
}

}  // namespace

TEST_F(Engine, DeepLWithTheKeyInItsHeaderOnly) {
    standin::get("/_config?service=deepl&key=dk-123:fx");
    use_engine("deepl", "http://" + standin::host(), "dk-123:fx");
    EXPECT_EQ(translated_text("Hello"), "你好");
    auto requests = requests_to("/v2/translate");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].find("Authorization: DeepL-Auth-Key dk-123:fx\r\n"), std::string::npos);
    EXPECT_EQ(body_of(requests[0]), R"({"source_lang":"EN","target_lang":"ZH-HANS","text":["Hello"]})");
    EXPECT_EQ(standin::request_line(requests[0]), "POST /v2/translate HTTP/1.1") << "nothing in the query";

    EXPECT_EQ(translated_text("one, two\r\nthree"), "ZH-HANS:one,ZH-HANS: two.\r\nZH-HANS:three.\r\n");
    standin::reset();
    standin::get("/_config?service=deepl&key=dk-123:fx");
    std::string result = translated_text(clauses(130));
    EXPECT_EQ(result.rfind("ZH-HANS:clause 0.\r\n", 0), 0u) << result.substr(0, 80);
    EXPECT_NE(result.find("ZH-HANS:clause 129.\r\n"), std::string::npos);
    EXPECT_EQ(requests_to("/v2/translate").size(), 3u) << "50 texts a request";

    EXPECT_EQ(translated_into_traditional("Hello"), "你好");
    EXPECT_NE(body_of(requests_to("/v2/translate").back()).find(R"("target_lang":"ZH-HANT")"), std::string::npos);
}

TEST_F(Engine, DeepLRefusalsAndBrokenRepliesAreOneLine) {
    standin::get("/_config?service=deepl&key=dk-123");
    use_engine("deepl", "http://" + standin::host(), "wrong");
    EXPECT_EQ(translated_text("Hello"),
              "翻译失败：DeepL 返回 HTTP 403（密钥无效，或与地址不符：免费版密钥以 :fx 结尾，使用 api-free.deepl.com）");
    use_engine("deepl", "http://" + standin::host(), "dk-123");
    standin::get("/_config?service=deepl&quota_exceeded=1");
    EXPECT_EQ(translated_text("Hello"), "翻译失败：DeepL 返回 HTTP 456（本月的翻译字符额度已用完）：Quota exceeded");
    standin::reset();
    standin::get("/_config?service=deepl&key=dk-123");
    for (const char* fault : {"badjson", "wrongtypes", "utf8bad"}) {
        standin::mode(std::string("fault=") + fault);
        shell::set_content(Control::要翻译的, "Hello");
        std::string shown = translated_text("Hello");
        EXPECT_EQ(shown.rfind("翻译失败：DeepL ", 0), 0u) << fault << ": " << shown;
        EXPECT_EQ(shell::content(Control::要翻译的), "Hello");
    }
}

TEST_F(Engine, MicrosoftWithItsRegionAndTheDictionaryForOneWord) {
    standin::get("/_config?service=microsoft&key=ms-key&region=westeurope");
    engines::Settings settings = standin::settings();
    settings.translation = {"microsoft", "http://" + standin::host(), "ms-key", false, std::string(), "westeurope", ""};
    engines::use_settings(settings);
    EXPECT_EQ(translated_text("print"), "打印\r\n\r\n动词: 打印\r\n\r\n名词: 印刷品\r\n\r\n");
    auto requests = requests_to("/translate?");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(standin::request_line(requests[0]), "POST /translate?api-version=3.0&from=en&to=zh-Hans HTTP/1.1");
    EXPECT_NE(requests[0].find("Ocp-Apim-Subscription-Key: ms-key\r\n"), std::string::npos);
    EXPECT_NE(requests[0].find("Ocp-Apim-Subscription-Region: westeurope\r\n"), std::string::npos);
    EXPECT_EQ(body_of(requests[0]), R"([{"Text":"print"}])");
    ASSERT_EQ(requests_to("/dictionary/lookup?").size(), 1u);
    // The other direction, and every part of speech the dictionary knows.
    EXPECT_EQ(translated_text("打印"), "print\r\n\r\n动词: print\r\n\r\n名词: printing\r\n\r\n");
    EXPECT_EQ(translated_text("can"), "zh-Hans:can\r\n\r\n情态动词: 可以\r\n\r\n动词: 能\r\n\r\n名词: 罐头\r\n\r\n");
    EXPECT_EQ(translated_text("quick"), "zh-Hans:quick\r\n\r\n形容词: 快速\r\n\r\n副词: 很快\r\n\r\n");
    EXPECT_EQ(translated_text("fly"), "zh-Hans:fly\r\n\r\n名词: 苍蝇\r\n\r\n动词: 1.飞  2.飞行  \r\n\r\n");
    EXPECT_EQ(translated_text("and"), "zh-Hans:and\r\n\r\n连词: 1.和  2.与  ");
    EXPECT_EQ(translated_text("the"), "zh-Hans:the\r\n\r\n限定词: 1.这  2.该  ");
    EXPECT_EQ(translated_text("with"), "zh-Hans:with\r\n\r\n介词: 1.与  2.用  ");
    EXPECT_EQ(translated_text("she"), "zh-Hans:she\r\n\r\n代词: 她");
    EXPECT_EQ(translated_text("hello"), "你好\r\n\r\n其他: 1.你好  2.喂  ");
    EXPECT_EQ(translated_text("unknownword"), "zh-Hans:unknownword") << "nothing found: the translation alone";
    // 中文(繁体) has no dictionary: the translation alone, one request.
    standin::reset();
    standin::get("/_config?service=microsoft&key=ms-key&region=westeurope");
    EXPECT_EQ(translated_into_traditional("print"), "打印");
    EXPECT_EQ(requests_to("/dictionary/lookup?").size(), 0u);
    EXPECT_NE(standin::request_line(requests_to("/translate?").back()).find("to=zh-Hant"), std::string::npos);
    // Several lines: one request for all 130.
    std::string result = translated_text(clauses(130));
    EXPECT_NE(result.find("zh-Hant:clause 129.\r\n"), std::string::npos);
    EXPECT_EQ(requests_to("/translate?").size(), 2u);
}

TEST_F(Engine, MicrosoftRefusalsAndLanguagesItLacksAreOneLine) {
    standin::get("/_config?service=microsoft&key=ms-key&region=westeurope");
    use_engine("microsoft", "http://" + standin::host(), "ms-key");
    EXPECT_EQ(translated_text("Hello"),
              "翻译失败：Microsoft Translator 返回 HTTP 401（密钥无效，或区域资源没有填写区域）：The request is not "
              "authorized because credentials are missing or invalid.");
    standin::get("/_config?service=microsoft&region=&quota_exceeded=1");
    EXPECT_EQ(translated_text("Hello"),
              "翻译失败：Microsoft Translator 返回 HTTP 403（免费额度已用完）：The operation is not allowed because the "
              "subscription has exceeded its free quota.");
    standin::reset();
    shell::set_ticked(Control::选择框1, false);
    shell::set_selection(Control::目标语言组合框, 26);  // 拉丁语
    ASSERT_EQ(shell::content(Control::目标语言组合框), "拉丁语");
    EXPECT_EQ(translated_text("Hello"), "翻译失败：Microsoft Translator 不提供拉丁语的翻译，请在列表中换一种语言或换一个服务");
    EXPECT_TRUE(standin::log().empty()) << "nothing sent";
    shell::set_selection(Control::目标语言组合框, 0);
    for (const char* fault : {"badjson", "wrongtypes", "nul"}) {
        standin::mode(std::string("fault=") + fault);
        EXPECT_EQ(translated_text("Hello"), "翻译失败：Microsoft Translator 的回复无法识别（HTTP 200）") << fault;
    }
}

namespace {

const char kGoogleWebWhatToDo[] = "：请稍后再试，或在 tarvik.ini 中换一个 client，或在服务设置中选择其他服务";

void use_google_web(const std::string& client = "") {
    engines::Settings settings = standin::settings();
    settings.translation = {"google-web", "http://" + standin::host(), "", false, std::string(), "", client};
    engines::use_settings(settings);
}

size_t occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

}  // namespace

TEST_F(Engine, GoogleWebWithoutAKeyAndWithTheDictionary) {
    use_google_web();
    EXPECT_EQ(translated_text("hello"), "你好\r\n\r\n感叹词: 1.你好!  2.喂!  ");
    auto requests = requests_to("/translate_a/single");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(standin::request_line(requests[0]),
              "GET /translate_a/single?client=dict-chrome-ex&sl=en&tl=zh-CN&hl=zh-CN&dt=t&dt=bd&ie=UTF-8&oe=UTF-8&q=hello "
              "HTTP/1.1");
    EXPECT_EQ(occurrences(requests[0], "User-Agent: "), 1u) << requests[0];
    EXPECT_NE(requests[0].find("User-Agent: Mozilla/5.0 (Windows NT 10.0; Win64; x64)"), std::string::npos);
    EXPECT_EQ(translated_text("print"),
              "打印\r\n\r\n名词: 1.打印  2.印刷品  3.印花  \r\n\r\n动词: 1.打印  2.印  3.印刷  \r\n\r\n");
    // A line of several sentences comes back in segments, joined.
    EXPECT_EQ(translated_text("It works. Does it?"), "zh-CN:It works. Does it?");

    // Several lines: a request a clause, side by side, in order.
    standin::reset();
    standin::get("/_config?service=google-web&delay_ms=100");
    std::string expected;
    for (int i = 0; i < 12; ++i) expected += "zh-CN:clause " + std::to_string(i) + ".\r\n";
    EXPECT_EQ(translated_text(clauses(12)), expected);
    EXPECT_EQ(requests_to("/translate_a/single").size(), 12u);
    EXPECT_EQ(concurrency_of("google-web"), 4);

    EXPECT_EQ(translated_into_traditional("Hello"), "你好");
    EXPECT_NE(standin::request_line(requests_to("/translate_a/single").back()).find("&sl=en&tl=zh-TW&"),
              std::string::npos);
}

TEST_F(Engine, GoogleWebRefusalsSayWhatToDoAndRedirectsAreNotFollowed) {
    standin::get("/_config?service=google-web&refused_clients=dict-chrome-ex,gtx");
    use_google_web();
    EXPECT_EQ(translated_text("Hello"), std::string("翻译失败：Google 网页接口返回 HTTP 403（Google 不接受 "
                                                    "client=dict-chrome-ex 的请求）") +
                                            kGoogleWebWhatToDo);
    // The client the user writes is sent as it is.
    use_google_web("gtx");
    EXPECT_EQ(translated_text("Hello"),
              std::string("翻译失败：Google 网页接口返回 HTTP 429（请求过多，Google 暂时拒绝了本机的请求）") +
                  kGoogleWebWhatToDo);
    use_google_web("my-client");
    EXPECT_EQ(translated_text("Hello"), "你好\r\n\r\n感叹词: 1.你好!  2.喂!  ");
    EXPECT_NE(standin::request_line(standin::log().back()).find("?client=my-client&"), std::string::npos);

    standin::reset();
    standin::get("/_config?service=google-web&refused_clients=dict-chrome-ex&redirect=1");
    use_google_web();
    std::string moved = translated_text("Hello");
    EXPECT_EQ(moved.rfind("翻译失败：Google 网页接口返回 HTTP 302（", 0), 0u) << moved;
    EXPECT_TRUE(requests_to("/sorry/").empty()) << "Google's /sorry/ page is never asked for";

    for (const char* fault : {"badjson", "wrongtypes", "utf8bad", "nul"}) {
        standin::reset();
        standin::mode(std::string("fault=") + fault);
        std::string shown = translated_text("one\r\ntwo");
        EXPECT_EQ(shown.rfind("翻译失败：Google 网页接口", 0), 0u) << fault << ": " << shown;
        EXPECT_EQ(shell::content(Control::要翻译的), "one\r\ntwo");
    }
}

TEST_F(Engine, GoogleWebSpeaksInPartsOfTwoHundredCharacters) {
    use_google_web();
    translate::targetLanguageCode.set("zh-CN");
    shell::set_content(Control::已翻译结果, "你好");
    speak_result();
    auto audio = requests_to("/translate_tts");
    ASSERT_EQ(audio.size(), 1u);
    EXPECT_EQ(standin::request_line(audio[0]),
              "GET /translate_tts?ie=UTF-8&client=dict-chrome-ex&tl=zh-CN&q=%E4%BD%A0%E5%A5%BD HTTP/1.1");
    EXPECT_EQ(test_support::read_file(speech::result_speech_file()),
              test_support::read_file(test_support::windows_path(test_support::environment("TARVIK_TEST_MP3"))));

    standin::reset();
    translate::targetLanguageCode.set("en");
    std::string line;
    for (int i = 0; i < 30; ++i) line += "Part " + std::to_string(i) + " of a long line to speak. ";
    shell::set_content(Control::已翻译结果, line);
    speak_result();
    audio = requests_to("/translate_tts");
    ASSERT_GE(audio.size(), 5u);
    std::string one_part = test_support::read_file(test_support::windows_path(test_support::environment("TARVIK_TEST_MP3")));
    EXPECT_GT(test_support::read_file(speech::result_speech_file()).size(), one_part.size() * (audio.size() - 1));
}
