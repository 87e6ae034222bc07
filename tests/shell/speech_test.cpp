#include <vector>

#include "speech/media_player.h"
#include "speech/speech_output.h"
#include "speech/web_page.h"
#include "speech/speech_text.h"
#include "runtime/utf.h"
#include "tests/shell/shell_fixture.h"
#include "translate/languages.h"

using namespace shell_test;

namespace {

std::string test_mp3() { return test_support::windows_path(test_support::environment("TARVIK_TEST_MP3")); }

struct CommandLog {
    std::vector<std::string> commands;
    CommandLog() {
        speech::observe_media_commands([this](const std::string& command, bool ok) {
            commands.push_back(command + (ok ? "" : " [failed]"));
        });
    }
    ~CommandLog() { speech::observe_media_commands(nullptr); }
};

bool speech_idle() { return tasks::resultSpeechBusy == 0 && tasks::sourceSpeechBusy == 0; }

void speak(Control button) {
    click(button);
    ASSERT_TRUE(test_support::wait_until(speech_idle, 60000));
}

std::vector<std::string> speech_requests() {
    std::vector<std::string> lines;
    for (const std::string& record : standin::log()) {
        if (record.find(" /translate_tts") != std::string::npos) lines.push_back(record);
    }
    return lines;
}

}  // namespace

class Speech : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        translate::targetLanguageCode.set("en");
    }
};

TEST_F(Speech, MediaPlayerCommandsForAGoodAndAnEmptyFile) {
    std::string alias = speech::media_alias();
    {
        CommandLog log;
        ASSERT_TRUE(speech::open_media(test_mp3()));
        int length = speech::media_length();
        EXPECT_NEAR(length, 3000, 150);
        EXPECT_TRUE(speech::play_media(-1));
        EXPECT_TRUE(speech::stop_media());
        EXPECT_TRUE(speech::close_media());
        std::vector<std::string> expected = {
            "close " + alias + " [failed]",
            "MCI_OPEN type MPEGvideo element " + test_mp3() + " alias " + alias,
            "set " + alias + " time format milliseconds",
            "status " + alias + " length",
            "play " + alias,
            "stop " + alias,
            "seek " + alias + " to start",
            "close " + alias,
        };
        EXPECT_EQ(log.commands, expected);
    }
    test_support::TempFolder folder;
    std::string empty = folder.file("empty.mp3");
    runtime::write_file(empty, runtime::Bytes());
    CommandLog log;
    EXPECT_FALSE(speech::open_media(empty));
    EXPECT_EQ(speech::media_length(), 0);
    EXPECT_FALSE(speech::play_media(-1));
    EXPECT_FALSE(speech::stop_media());
    speech::close_media();
    ASSERT_GE(log.commands.size(), 7u);
    EXPECT_EQ(log.commands[5], "stop " + alias + " [failed]");
    EXPECT_EQ(log.commands[6], "close " + alias + " [failed]");  // no seek after a failed stop
}

TEST_F(Speech, ResultSpeechDownloadsOnceAndReusesTheFile) {
    runtime::remove_file(speech::result_speech_file());
    shell::set_content(Control::已翻译结果, "x\r\n\r\n字典: 1.a  2.b  ");
    speak(Control::朗读按钮);
    auto requests = speech_requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(standin::request_line(requests[0]), "GET /translate_tts?ie=UTF-8&q=x&tl=en HTTP/1.0");
    EXPECT_NE(requests[0].find("\r\nAccept: */*\r\n"), std::string::npos) << requests[0];
    EXPECT_EQ(requests[0].find("Referer"), std::string::npos);
    EXPECT_EQ(test_support::read_file(speech::result_speech_file()), test_support::read_file(test_mp3()));

    speak(Control::朗读按钮);
    EXPECT_EQ(speech_requests().size(), 1u);  // same text, same language, good playback: replayed

    translate::targetLanguageCode.set("de");
    speak(Control::朗读按钮);
    ASSERT_EQ(speech_requests().size(), 2u);
    EXPECT_EQ(standin::request_line(speech_requests()[1]), "GET /translate_tts?ie=UTF-8&q=x&tl=de HTTP/1.0");
}

TEST_F(Speech, AFailedPlaybackDownloadsAgainNextTime) {
    shell::set_content(Control::已翻译结果, "fails once");
    standin::mode("fault=status&code=500");
    speak(Control::朗读按钮);
    EXPECT_NE(test_support::read_file(speech::result_speech_file()).find("<h1>500</h1>"), std::string::npos);
    standin::mode("");
    speak(Control::朗读按钮);
    EXPECT_EQ(speech_requests().size(), 2u);
}

TEST_F(Speech, ALargeReplyIsReadWhole) {
    shell::set_content(Control::已翻译结果, "large");
    standin::mode("fault=big&bytes=500000");
    speak(Control::朗读按钮);
    EXPECT_EQ(test_support::read_file(speech::result_speech_file()).size(), 500000u);
}

TEST_F(Speech, SourceSpeechSpeaksEveryLineWithAFullStop) {
    shell::set_content(Control::要翻译的, "a\r\n\r\nb");
    speak(Control::朗读按钮1);
    auto requests = speech_requests();
    ASSERT_EQ(requests.size(), 1u);
    // "a" starts with an ASCII byte: recognised as English.
    EXPECT_EQ(standin::request_line(requests[0]), "GET /translate_tts?ie=UTF-8&q=a%E3%80%82b%E3%80%82&tl=en HTTP/1.0");
    EXPECT_TRUE(runtime::file_exists(speech::source_speech_file()));
}

TEST_F(Speech, QuickClicksStartOneSpeechRun) {
    shell::set_content(Control::要翻译的, "one run");
    shell::set_content(Control::已翻译结果, "one run only");
    standin::mode("fault=stall&seconds=1");
    for (int i = 0; i < 20; ++i) {
        click(Control::朗读按钮);
        click(Control::朗读按钮1);
    }
    ASSERT_TRUE(test_support::wait_until(speech_idle, 60000));
    EXPECT_EQ(speech_requests().size(), 1u);
}

TEST_F(Speech, EmptyBoxesSpeakNothing) {
    speak(Control::朗读按钮);
    speak(Control::朗读按钮1);
    EXPECT_TRUE(speech_requests().empty());
}

class WebPage : public WindowTest {
protected:
    const std::string calls_file = "C:\\tarvik_browser_calls.txt";
    void SetUp() override {
        WindowTest::SetUp();
        standin::use_classic_hosts(standin::host(), "web.test");
        ASSERT_TRUE(CopyFileW(runtime::wide(runtime::program_directory() + "\\recorder.exe").c_str(),
                              runtime::wide(speech::kBrowserPath).c_str(), FALSE));
        DeleteFileW(runtime::wide(calls_file).c_str());
    }
    std::string last_call() {
        test_support::wait_until([&] { return !test_support::read_file(calls_file).empty(); });
        std::string calls = test_support::read_file(calls_file);
        DeleteFileW(runtime::wide(calls_file).c_str());
        return calls.empty() ? calls : calls.substr(0, calls.size() - 1);
    }
};

TEST_F(WebPage, CommandLineForEachAddress) {
    const std::string browser = "\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" ";
    struct Case { std::string address, url; };
    const Case cases[] = {
        {"", "http://web.test/?hl=zh-CN#"},
        {"http://abc/d", "http://web.test/translate?hl=zh-CN&sl=auto&u=http://abc/d"},
        {"HTTP://abc", "http://web.test/translate?hl=zh-CN&sl=auto&u=http://abc"},
        {"Http://abc", "http://web.test/translate?hl=zh-CN&sl=auto&u=http://Http://abc"},
        {"https://abc", "http://web.test/translate?hl=zh-CN&sl=auto&u=http://https://abc"},
        {"  http://abc", "http://web.test/translate?hl=zh-CN&sl=auto&u=http://  abc"},
        {"0123456789http://x", "http://web.test/translate?hl=zh-CN&sl=auto&u=http://0123456789http://x"},
        {"中文 网址.cn/a b", "http://web.test/translate?hl=zh-CN&sl=auto&u=http://中文 网址.cn/a b"},
        {"주소 http://x", "http://web.test/translate?hl=zh-CN&sl=auto&u=http://주소 x"},
        {"한국어.kr/가 http://x", "http://web.test/translate?hl=zh-CN&sl=auto&u=http://한국어.kr/가 http://x"},
    };
    for (const Case& c : cases) {
        shell::set_content(Control::编辑框1, c.address);
        click(Control::翻译按钮1);
        EXPECT_EQ(last_call(), browser + c.url) << c.address;
    }
    shell::set_selection(Control::源语言组合框1, 3);
    shell::set_content(Control::编辑框1, "abc");
    hold_keys({VK_SHIFT});
    press_key(Control::编辑框1, VK_RETURN, false);
    EXPECT_EQ(last_call(), browser + "http://web.test/translate?hl=zh-CN&sl=ja&u=http://abc");
    press_key(Control::编辑框1, 'A', false);
    EXPECT_FALSE(test_support::wait_until([&] { return runtime::file_exists(calls_file); }, 500));
}
