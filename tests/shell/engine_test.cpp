// Translation engines end to end: the real window, the real WinInet client and the stand-in
// speaking LibreTranslate's API, over HTTP and TLS.
#include "tests/shell/shell_fixture.h"

using namespace shell_test;

namespace {

bool translated() { return tasks::translationBusy == 0; }

std::string translated_text(const std::string& source) {
    shell::set_content(Control::要翻译的, source);
    shell::set_content(Control::已翻译结果, "");
    click(Control::翻译按钮);
    EXPECT_TRUE(test_support::wait_until(translated, 60000));
    return shell::content(Control::已翻译结果);
}

void use_engine(const std::string& engine, const std::string& address, const std::string& key = "") {
    engines::Settings settings = standin::settings();
    settings.translation = {engine, address, key, false};
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
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(standin::request_line(requests[0]), "POST /translate HTTP/1.1");
    EXPECT_NE(requests[0].find("Content-Type: application/json\r\n"), std::string::npos);
    EXPECT_EQ(body_of(requests[0]), R"({"format":"text","q":"Hello","source":"en","target":"zh"})");

    // Several lines: every clause in one request, joined as the classic endpoint's replies are.
    standin::reset();
    EXPECT_EQ(translated_text("one, two\r\nthree"), "zh:one,zh: two.\r\nzh:three.\r\n");
    requests = standin::log();
    ASSERT_EQ(requests.size(), 1u);
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
              "翻译失败：tarvik.ini 的 [translation] engine=babelfish 不是可用的引擎（可用：classic、libretranslate）");
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
