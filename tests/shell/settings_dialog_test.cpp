// The settings dialog driven as a user would: opened from the system menu, filled in, saved or
// cancelled; the file it writes, and the next translation using it.
#include "tests/shell/shell_fixture.h"

using namespace shell_test;

namespace {

std::string settings_file() { return runtime::program_directory() + "\\tarvik.ini"; }

void set_text(HWND dialog, int field, const std::string& text) {
    SendMessageW(GetDlgItem(dialog, field), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(runtime::wide(text).c_str()));
}

void pick(HWND dialog, int list, const std::string& item) {
    HWND box = GetDlgItem(dialog, list);
    LRESULT index = SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(runtime::wide(item).c_str()));
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::string text_of(HWND dialog, int field) { return test_support::text_of(GetDlgItem(dialog, field)); }

// Answers the message box the dialog shows (IDOK, IDYES or IDNO) and gives its text.
std::string answer_message_box(int answer) {
    HWND box = wait_for_dialog(false);
    if (!box) return "no message box";
    std::string text = test_support::text_of(GetDlgItem(box, 0xFFFF));
    SendMessageW(box, WM_COMMAND, answer, 0);
    test_support::wait_until([] { return find_dialog(false) == nullptr; }, 5000);
    return text;
}

void press(HWND dialog, int button) { PostMessageW(GetDlgItem(dialog, button), BM_CLICK, 0, 0); }

class SettingsDialog : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        DeleteFileW(runtime::wide(settings_file()).c_str());
    }
    void TearDown() override {
        DeleteFileW(runtime::wide(settings_file()).c_str());
        RemoveDirectoryW(runtime::wide(settings_file() + ".new").c_str());
        standin::use_classic_hosts();
        WindowTest::TearDown();
    }
    void open_dialog(const std::function<void(HWND)>& driver) { open_settings_dialog(driver); }
};

}  // namespace

TEST_F(SettingsDialog, TheSystemMenuHasTheItem) {
    HMENU menu = GetSystemMenu(main_window(), FALSE);
    wchar_t text[64] = {};
    ASSERT_GT(GetMenuStringW(menu, shell::kSettingsCommand, text, 64, MF_BYCOMMAND), 0);
    EXPECT_EQ(runtime::narrow(text), "服务设置...");
}

TEST_F(SettingsDialog, SavingWritesTheFileAndTheNextTranslationUsesIt) {
    open_dialog([](HWND dialog) {
        EXPECT_EQ(text_of(dialog, shell::kTranslationEngineField), "classic");
        pick(dialog, shell::kTranslationEngineField, "libretranslate");
        set_text(dialog, shell::kTranslationAddressField, "http://" + standin::host());
        set_text(dialog, shell::kTranslationKeyField, "my-key");
        pick(dialog, shell::kSpeechEngineField, "none");
        SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    std::string file = test_support::read_file(settings_file());
    EXPECT_NE(file.find("[translation]\r\nengine=libretranslate\r\naddress=http://" + standin::host() + "\r\n"),
              std::string::npos)
        << file;
    EXPECT_NE(file.find("key=dpapi:"), std::string::npos);
    EXPECT_EQ(file.find("my-key"), std::string::npos) << "the key is not stored in the clear";
    EXPECT_NE(file.find("[speech]\r\nengine=none\r\n"), std::string::npos);
    EXPECT_EQ(engines::current_settings().translation.key, "my-key");

    shell::set_content(Control::要翻译的, "Hello");
    click(Control::翻译按钮);
    ASSERT_TRUE(test_support::wait_until([] { return tasks::translationBusy == 0; }, 60000));
    EXPECT_EQ(shell::content(Control::已翻译结果), "你好");
    ASSERT_EQ(standin::count("/translate"), 1);
    EXPECT_NE(standin::log().back().find("\"api_key\":\"my-key\""), std::string::npos);

    // Opened again, the dialog shows what the file holds.
    open_dialog([](HWND dialog) {
        EXPECT_EQ(text_of(dialog, shell::kTranslationEngineField), "libretranslate");
        EXPECT_EQ(text_of(dialog, shell::kTranslationKeyField), "my-key");
        EXPECT_EQ(text_of(dialog, shell::kSpeechEngineField), "none");
        SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    });
}

TEST_F(SettingsDialog, CancelChangesNothing) {
    runtime::write_file(settings_file(), runtime::to_bytes("[classic]\r\nweb_host=web.test\r\n"));
    open_dialog([](HWND dialog) {
        pick(dialog, shell::kTranslationEngineField, "libretranslate");
        SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(test_support::read_file(settings_file()), "[classic]\r\nweb_host=web.test\r\n");
}

TEST_F(SettingsDialog, AFailedWriteSaysSoAndKeepsTheOldFile) {
    const std::string old = "[translation]\r\nengine=classic\r\n[classic]\r\nweb_host=web.test\r\n";
    runtime::write_file(settings_file(), runtime::to_bytes(old));
    // A folder where the new file is to be written makes the write fail.
    ASSERT_TRUE(CreateDirectoryW(runtime::wide(settings_file() + ".new").c_str(), nullptr));
    std::string message;
    open_dialog([&](HWND dialog) {
        pick(dialog, shell::kTranslationEngineField, "libretranslate");
        set_text(dialog, shell::kTranslationAddressField, "https://lt.example");
        press(dialog, IDOK);
        message = answer_message_box(IDOK);
        // What the user typed is still there, to save once the file can be written.
        EXPECT_EQ(text_of(dialog, shell::kTranslationEngineField), "libretranslate");
        EXPECT_EQ(text_of(dialog, shell::kTranslationAddressField), "https://lt.example");
        SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    });
    EXPECT_NE(message.find("无法保存设置：" + settings_file()), std::string::npos) << "which file" << message;
    EXPECT_NE(message.find("管理员"), std::string::npos) << "what to do";
    EXPECT_EQ(test_support::read_file(settings_file()), old);
    EXPECT_EQ(engines::load_settings().web_host, "web.test");
}

TEST_F(SettingsDialog, ClassicHostsFromTheFile) {
    runtime::write_file(settings_file(), runtime::to_bytes("[classic]\r\ntranslate_host=" + standin::host() +
                                                           "\r\nspeech_host=speech.test:81\r\n"));
    engines::use_settings(engines::load_settings());
    shell::set_content(Control::要翻译的, "Hello");
    click(Control::翻译按钮);
    ASSERT_TRUE(test_support::wait_until([] { return tasks::translationBusy == 0; }, 60000));
    EXPECT_EQ(shell::content(Control::已翻译结果), "Hello\r\n\r\n感叹词: 1.hello  2.hi  3.how do you do  ");
    EXPECT_EQ(standin::count("/translate_a"), 1);
    EXPECT_EQ(engines::speech_host(engines::current_settings()), "speech.test:81");
}

TEST_F(SettingsDialog, AHandWrittenFileKeepsEveryLineTheUserDidNotChange) {
    const std::string hand_written =
        "\xEF\xBB\xBF; my settings, written in Notepad\r\n"
        "[translation]\r\n"
        "engine=google\r\n"
        "address=  https://a.test  \r\n"
        "key=dpapi:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\r\n"
        "# a key of our own, kept\r\n"
        "timeout=30\r\n"
        "\r\n"
        "[classic]\r\n"
        "web_host=web.test\r\n";
    runtime::write_file(settings_file(), runtime::to_bytes(hand_written));
    open_dialog([](HWND dialog) {
        // An unknown engine is shown as it is written, not as a name that begins the same.
        EXPECT_EQ(text_of(dialog, shell::kTranslationEngineField), "google");
        EXPECT_EQ(text_of(dialog, shell::kTranslationAddressField), "https://a.test");
        // A key of another Windows user is said to be one, and is not erased by saving.
        EXPECT_EQ(text_of(dialog, shell::kTranslationKeyField), "（其他用户保存的密钥，无法读取）");
        EXPECT_EQ(SendMessageW(GetDlgItem(dialog, shell::kTranslationKeyField), EM_GETPASSWORDCHAR, 0, 0), 0);
        pick(dialog, shell::kTranslationEngineField, "lingva");
        press(dialog, IDOK);
    });
    std::string expected = hand_written.substr(3);  // UTF-8 without the mark
    expected.replace(expected.find("engine=google"), 13, "engine=lingva");
    EXPECT_EQ(test_support::read_file(settings_file()), expected);
}

TEST_F(SettingsDialog, PastedSpacesGoAndAKeyForPlainHttpIsConfirmed) {
    open_dialog([](HWND dialog) {
        pick(dialog, shell::kTranslationEngineField, "libretranslate");
        set_text(dialog, shell::kTranslationAddressField, " \thttp://192.168.1.20:5000  ");
        set_text(dialog, shell::kTranslationKeyField, "  my-key\t");
        press(dialog, IDOK);
        // The key would cross the network in the clear: the user is asked first.
        std::string question = answer_message_box(IDNO);
        EXPECT_NE(question.find("明文"), std::string::npos) << question;
        EXPECT_NE(question.find("http://192.168.1.20:5000"), std::string::npos) << question;
        EXPECT_TRUE(IsWindow(dialog)) << "not saved: the dialog stays";
        press(dialog, IDOK);
        answer_message_box(IDYES);
    });
    engines::Settings saved = engines::load_settings();
    EXPECT_EQ(saved.translation.address, "http://192.168.1.20:5000");
    EXPECT_EQ(saved.translation.key, "my-key");
    EXPECT_EQ(test_support::read_file(settings_file()).find("my-key"), std::string::npos);

    // Over https, or to this computer, nobody is asked.
    open_dialog([](HWND dialog) {
        set_text(dialog, shell::kTranslationAddressField, "lt.example");
        set_text(dialog, shell::kTranslationKeyField, "other-key");
        SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(engines::load_settings().translation.key, "other-key");
}

// Microsoft's region, and the engines the dialog offers.
TEST_F(SettingsDialog, TheRegionFieldShowsForMicrosoftAndIsSaved) {
    open_dialog([](HWND dialog) {
        HWND list = GetDlgItem(dialog, shell::kTranslationEngineField);
        std::vector<std::string> offered;
        for (int i = 0; i < SendMessageW(list, CB_GETCOUNT, 0, 0); ++i) {
            wchar_t item[64] = {};
            SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
            offered.push_back(runtime::narrow(item));
        }
        EXPECT_NE(std::find(offered.begin(), offered.end(), "deepl"), offered.end());
        EXPECT_NE(std::find(offered.begin(), offered.end(), "microsoft"), offered.end());
        HWND region = GetDlgItem(dialog, shell::kTranslationExtraField);
        EXPECT_FALSE(IsWindowVisible(region)) << "classic has no setting of its own";
        pick(dialog, shell::kTranslationEngineField, "microsoft");
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(shell::kTranslationEngineField, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
        EXPECT_TRUE(IsWindowVisible(region));
        set_text(dialog, shell::kTranslationKeyField, "ms-key");
        set_text(dialog, shell::kTranslationExtraField, " westeurope ");
        pick(dialog, shell::kTranslationEngineField, "deepl");
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(shell::kTranslationEngineField, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
        EXPECT_FALSE(IsWindowVisible(region));
        pick(dialog, shell::kTranslationEngineField, "microsoft");
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(shell::kTranslationEngineField, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
        set_text(dialog, shell::kTranslationExtraField, " westeurope ");
        SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    std::string file = test_support::read_file(settings_file());
    EXPECT_NE(file.find("[translation]\r\nengine=microsoft\r\nkey=dpapi:"), std::string::npos) << file;
    EXPECT_NE(file.find("\r\nregion=westeurope\r\n"), std::string::npos) << file;
    EXPECT_EQ(engines::current_settings().translation.region, "westeurope");
    open_dialog([](HWND dialog) {
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, shell::kTranslationExtraField)));
        EXPECT_EQ(text_of(dialog, shell::kTranslationExtraField), "westeurope");
        PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    });
}

namespace {

bool shows_label(HWND dialog, const std::string& label) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child) && test_support::text_of(child) == label) return true;
    }
    return false;
}

}  // namespace

TEST_F(SettingsDialog, GoogleWebOffersItsClientField) {
    open_dialog([](HWND dialog) {
        HWND list = GetDlgItem(dialog, shell::kTranslationEngineField);
        pick(dialog, shell::kTranslationEngineField, "google-web");
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(shell::kTranslationEngineField, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, shell::kTranslationExtraField)));
        EXPECT_TRUE(shows_label(dialog, "客户端："));
        EXPECT_FALSE(shows_label(dialog, "区域："));
        set_text(dialog, shell::kTranslationExtraField, "gtx");
        SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    std::string file = test_support::read_file(settings_file());
    EXPECT_NE(file.find("[translation]\r\nengine=google-web\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\r\nclient=gtx\r\n"), std::string::npos) << file;
    EXPECT_EQ(engines::current_settings().translation.client, "gtx");
}

TEST_F(SettingsDialog, TheClientWrittenInTheFileIsTheOneSent) {
    auto translate_with_client = [](const std::string& client) {
        runtime::write_file(settings_file(), runtime::to_bytes("[translation]\r\nengine=google-web\r\naddress=http://" +
                                                               standin::host() + "\r\nclient=" + client + "\r\n"));
        engines::use_settings(engines::load_settings());
        return translated_text("Hello");
    };
    EXPECT_EQ(translate_with_client("gtx").rfind("翻译失败：Google 网页接口返回 HTTP 429（", 0), 0u)
        << "the stand-in refuses gtx as Google does";
    EXPECT_EQ(translate_with_client("dict-chrome-ex"), "你好\r\n\r\n感叹词: 1.你好!  2.喂!  ");
    EXPECT_NE(standin::request_line(standin::log().back()).find("?client=dict-chrome-ex&"), std::string::npos);
}
