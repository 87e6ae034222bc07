// Bad networks, click storms and bad input: the window keeps answering, nothing crashes, the
// results are what the rules make of what arrived, and every busy flag comes back to 0.
#include <atomic>
#include <chrono>
#include <thread>

#include "engines/classic.h"
#include "net/http_client.h"
#include "net/url.h"
#include "runtime/utf.h"
#include "speech/speech_output.h"
#include "speech/web_page.h"
#include "tests/shell/shell_fixture.h"
#include "translate/reply.h"

using namespace shell_test;

namespace {

// Pings the window with WM_NULL from another thread while the test thread pumps its messages,
// counting the round trips that took longer than 100 ms.
class ResponsivenessProbe {
public:
    ResponsivenessProbe() : thread_([this] { run(); }) {}
    ~ResponsivenessProbe() { stop(); }
    int slow() {
        stop();
        return slow_;
    }

private:
    void run() {
        while (!stop_) {
            DWORD_PTR result;
            auto sent = std::chrono::steady_clock::now();
            SendMessageTimeoutW(main_window(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result);
            if (std::chrono::steady_clock::now() - sent > std::chrono::milliseconds(100)) ++slow_;
            Sleep(20);
        }
        finished_ = true;
    }
    // The window thread goes on answering while it waits for the probe's last ping.
    void stop() {
        stop_ = true;
        test_support::wait_until([this] { return finished_.load(); });
        if (thread_.joinable()) thread_.join();
    }
    std::atomic<bool> stop_{false}, finished_{false};
    std::atomic<int> slow_{0};
    std::thread thread_;
};

// A click as the button reports it to the window, without BM_CLICK's pressing and releasing, so
// that hundreds fit in well under a second.
void quick_click(Control button) {
    int id = GetDlgCtrlID(window_of(button));
    SendMessageW(main_window(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(window_of(button)));
}

// What the window must show for a single line whose request gets the bytes of this fault: what the
// cutting makes of them, or, for an error status or no answer, the line that says so.
std::string expected_display(const std::string& fault_path) {
    net::HttpReply reply;
    reply.body = net::http_request(standin::url(fault_path), nullptr, nullptr, nullptr, nullptr, nullptr, &reply.status);
    if (!net::is_success(reply.status)) return engines::classic_refusal(reply);
    return translate::cut_translation_with_dictionary(net::url_decode(runtime::to_text(reply.body)), "en");
}

bool says_refused(const std::string& result) { return result.rfind("翻译失败：经典接口", 0) == 0; }

}  // namespace

class Robustness : public WindowTest {};

TEST_F(Robustness, NetworkFaultsGiveWhatTheCuttingMakesOfThem) {
    struct Fault {
        std::string mode, path;
    };
    const Fault faults[] = {
        {"fault=close", "/fault/close"},
        {"fault=big&bytes=3145728", "/fault/big?bytes=3145728"},
        {"fault=status&code=403", "/fault/status?code=403"},
        {"fault=status&code=429", "/fault/status?code=429"},
        {"fault=status&code=500", "/fault/status?code=500"},
        {"fault=nul", "/fault/nul"},
        {"fault=utf8bad", "/fault/utf8bad"},
        {"fault=sentences&count=500", "/fault/sentences?count=500"},
    };
    shell::set_content(Control::要翻译的, "Hi");
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.mode);
        std::string expected = expected_display(fault.path);
        standin::mode(fault.mode);
        click(Control::翻译按钮);
        ResponsivenessProbe probe;  // from the moment the work runs
        ASSERT_TRUE(test_support::wait_until(translated, 60000));
        EXPECT_EQ(probe.slow(), 0);
        EXPECT_EQ(shell::content(Control::已翻译结果), expected);
        standin::mode("");
    }
    // The sentences reply really was cut: the translations joined. (A reply of 100,000 entries is
    // cut in the native tests: Wine's edit box needs minutes to lay out that much text.)
    standin::mode("fault=sentences&count=500");
    click(Control::翻译按钮);
    ASSERT_TRUE(test_support::wait_until(translated, 60000));
    EXPECT_EQ(shell::content(Control::已翻译结果).rfind("s0 s1 s2 ", 0), 0u);

    standin::use_classic_hosts("127.0.0.1:1");
    click(Control::翻译按钮);
    ASSERT_TRUE(test_support::wait_until(translated, 60000));
    EXPECT_EQ(shell::content(Control::已翻译结果), engines::classic_refusal(net::HttpReply{}));
}

TEST_F(Robustness, ARedirectIsFollowedAndItsPageCut) {
    shell::set_content(Control::要翻译的, "Hi");
    standin::mode("fault=redirect");
    click(Control::翻译按钮);
    ASSERT_TRUE(test_support::wait_until(translated, 60000));
    EXPECT_EQ(standin::count("/echo"), 1);
    EXPECT_TRUE(all_idle());
}

TEST_F(Robustness, AStallBeyondTheTimeOutEndsTheRequest) {
    shell::set_content(Control::要翻译的, "Hi");
    standin::mode("fault=stall&seconds=40");
    auto started = std::chrono::steady_clock::now();
    click(Control::翻译按钮);
    ResponsivenessProbe probe;
    ASSERT_TRUE(test_support::wait_until(translated, 38000));
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::seconds(17));
    EXPECT_EQ(probe.slow(), 0);
    EXPECT_TRUE(says_refused(shell::content(Control::已翻译结果))) << shell::content(Control::已翻译结果);
}

TEST_F(Robustness, ClickStormsStartOneWorkerOfEachKind) {
    shell::set_content(Control::要翻译的, "storm");
    shell::set_content(Control::已翻译结果, "storm result");
    standin::mode("fault=stall&seconds=2");
    auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < 200; ++i) {
        quick_click(Control::翻译按钮);
        quick_click(Control::朗读按钮);
        quick_click(Control::朗读按钮1);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));  // the storm really was one
    ResponsivenessProbe probe;
    ASSERT_TRUE(test_support::wait_until(all_idle, 60000));
    EXPECT_EQ(probe.slow(), 0);
    EXPECT_EQ(standin::count("/translate_a"), 1);
    EXPECT_EQ(standin::count("/translate_tts"), 1);
}

TEST_F(Robustness, BadAndLargeInput) {
    struct Case {
        std::string source;
        int requests;
    };
    const Case cases[] = {
        {"\r\n\r\n\r\n", 0},
        {",.,.!?;:\"'()[]{}，。", 1},
        {"abc\xD6", 1},
        {"\xA1\xA1\xA1\xA1", 1},
    };
    for (const Case& c : cases) {
        standin::reset();
        shell::set_content(Control::要翻译的, c.source);
        click(Control::翻译按钮);
        ASSERT_TRUE(test_support::wait_until(translated, 60000));
        EXPECT_EQ(standin::count("/translate_a"), c.requests) << c.source;
    }

    // A long single line goes whole in one request. (Ten mebibytes go through the algorithm in the
    // native tests; Wine's edit box takes seconds for every hundred kilobytes it lays out.)
    standin::reset();
    std::string large;
    while (large.size() < 20000) large += "word ";
    shell::set_content(Control::要翻译的, large);
    click(Control::翻译按钮);
    ASSERT_TRUE(test_support::wait_until(translated, 120000));
    EXPECT_EQ(standin::count("/translate_a"), 1);
    EXPECT_EQ(shell::content(Control::已翻译结果), "zh-CN:" + large);
}

TEST_F(Robustness, FiveThousandLinesMakeOneRequestEach) {
    std::string source;
    for (int i = 0; i < 5000; ++i) source += "line" + std::to_string(i) + "\r\n";
    shell::set_content(Control::要翻译的, source);
    click(Control::翻译按钮);
    ASSERT_TRUE(test_support::wait_until(translated, 600000));
    EXPECT_EQ(standin::count("/translate_a"), 5000);
    std::string result = shell::content(Control::已翻译结果);
    EXPECT_EQ(result.rfind("zh-CN:line0.\r\nzh-CN:line1.\r\n", 0), 0u);
    EXPECT_NE(result.find("zh-CN:line4999.\r\n"), std::string::npos);
}

TEST_F(Robustness, ClosingWhileWorkRunsEndsTheProgramAndRemovesTheSpeechFiles) {
    std::string exe = runtime::program_directory() + "\\shell_tests.exe";
    std::wstring command = runtime::wide("\"" + exe + "\" --program");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    HWND window = nullptr;
    ASSERT_TRUE(test_support::wait_until(
        [&] { return (window = test_support::visible_main_window_of(process.dwProcessId)) != nullptr; }, 30000));
    auto child = [&](const wchar_t* class_name, const std::string& caption) {
        return FindWindowExW(window, nullptr, class_name, runtime::wide(caption).c_str());
    };
    // The source box is the second multi-line edit; both get text so both kinds of work can start.
    HWND result_box = FindWindowExW(window, nullptr, L"Edit", nullptr);
    result_box = FindWindowExW(window, result_box, L"Edit", nullptr);
    HWND source_box = FindWindowExW(window, result_box, L"Edit", nullptr);
    ASSERT_NE(source_box, nullptr);
    SendMessageW(source_box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"close me"));
    standin::mode("fault=stall&seconds=5");
    PostMessageW(child(L"Button", "   翻译     ( Alt+S )"), BM_CLICK, 0, 0);
    PostMessageW(child(L"Button", "朗读原文"), BM_CLICK, 0, 0);
    ASSERT_TRUE(test_support::wait_until(
        [] { return standin::count("/translate_a") == 1 && standin::count("/translate_tts") == 1; }));
    std::string source_file = speech::source_speech_file(), result_file = speech::result_speech_file();
    runtime::write_file(result_file, runtime::to_bytes("left from before"));
    auto closed = std::chrono::steady_clock::now();
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);
    RecordProperty(
        "ms_from_close_to_exit",
        static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - closed).count()));
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_FALSE(runtime::file_exists(source_file));
    EXPECT_FALSE(runtime::file_exists(result_file));
}
