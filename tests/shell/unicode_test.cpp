// The window as a Unicode window: its Chinese texts read right whatever the system's code page
// (the suite also runs under code page 1252), results in every script of the lists are shown as
// the service sent them, typed text in any script reaches the service, and broken text comes
// through as U+FFFD, never lost or cut.
#include "net/url.h"
#include "runtime/utf.h"
#include "shell/settings_dialog.h"
#include "shell/window_description.h"
#include "tests/shell/shell_fixture.h"

using namespace shell_test;
using runtime::wide;

namespace {

std::string list_item(HWND list, int index) {
    LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    std::wstring item(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item[0]));
    item.resize(static_cast<size_t>(length > 0 ? length : 0));
    return runtime::narrow(item);
}

// Types the text into the focused control as the keyboard would, one UTF-16 unit a WM_CHAR.
void type_into(Control control, const std::wstring& units) {
    HWND box = window_of(control);
    SetFocus(box);
    for (wchar_t unit : units) PostMessageW(box, WM_CHAR, unit, 1);
    runtime::process_events();
}

std::string first_request_line() {
    auto records = standin::log();
    return records.empty() ? std::string() : standin::request_line(records.front());
}

// One word or sentence in each script whose letters code page 936 lacks.
// One word or sentence in each script whose letters code page 936 lacks (without ASCII commas and
// periods, which the translation turns into Chinese ones).
const std::pair<const char*, std::string> kScripts[] = {
    {"韩语", "안녕하세요 세계"},        {"德语", "Hallo Welt Größe"},  {"阿拉伯语", "مرحبا بالعالم"},
    {"泰语", "สวัสดีชาวโลก"},          {"印地语", "नमस्ते दुनिया"},    {"越南语", "Xin chào thế giới Tiếng Việt"},
    {"西班牙语", "¿Qué tal? Mañana"}, {"法语", "français où être"},
};

}  // namespace

class Unicode : public WindowTest {};

TEST_F(Unicode, EveryCaptionListItemAndMenuTextReadsInChinese) {
    // The code page of the run: 936 in the usual suite, 1252 where the suite runs as on a Western
    // Windows (TARVIK_EXPECTED_CODE_PAGE says which).
    std::string expected_page = test_support::environment("TARVIK_EXPECTED_CODE_PAGE");
    if (!expected_page.empty()) {
        ASSERT_EQ(GetACP(), static_cast<UINT>(std::stoul(expected_page)));
    }
    RecordProperty("code_page", static_cast<int>(GetACP()));
    EXPECT_EQ(test_support::text_of(main_window()), "Tarvik在线翻译zaz-Oskel科技");
    for (const shell::ControlDescription& description : shell::control_descriptions()) {
        if (description.kind == shell::Kind::label || description.kind == shell::Kind::button ||
            description.kind == shell::Kind::check_box) {
            EXPECT_EQ(test_support::text_of(window_of(description.control)), description.caption);
        }
        if (description.kind != shell::Kind::drop_down_list) continue;
        std::vector<std::string> items = shell::initial_items(description.control);
        HWND list = window_of(description.control);
        ASSERT_EQ(SendMessageW(list, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(items.size()));
        for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(list_item(list, static_cast<int>(i)), items[i]);
    }
    EXPECT_EQ(shell::content(Control::源语言组合框1), "自动检测");
    wchar_t menu_text[64] = {};
    GetMenuStringW(GetSystemMenu(main_window(), FALSE), shell::kSettingsCommand, menu_text, 64, MF_BYCOMMAND);
    EXPECT_EQ(runtime::narrow(menu_text), "服务设置...");
}

TEST_F(Unicode, ResultsInEveryScriptAreShownExactly) {
    shell::set_ticked(Control::选择框1, false);
    for (const auto& [language, text] : kScripts) {
        SCOPED_TRACE(language);
        shell::set_selection(Control::目标语言组合框, 0);
        // The classic endpoint: the text comes back percent-escaped UTF-8 inside its bracketed reply.
        EXPECT_EQ(translated_text(text), "zh-CN:" + text);
        std::string encoded = net::url_encode(text);
        EXPECT_NE(first_request_line().find(encoded.substr(0, encoded.find(' '))), std::string::npos);
        standin::reset();
    }
    // An engine: the same texts come back as JSON escapes (\uXXXX) and are shown as they are.
    engines::Settings settings = standin::settings();
    settings.translation = {"libretranslate", "http://" + standin::host(), "", false, std::string(), "", ""};
    engines::use_settings(settings);
    for (const auto& [language, text] : kScripts) {
        SCOPED_TRACE(language);
        EXPECT_EQ(translated_text(text), "zh:" + text);
    }
}

TEST_F(Unicode, TextTypedInAnyScriptReachesTheServiceAsItIs) {
    type_into(Control::要翻译的, L"안녕 세계 😀");
    ASSERT_EQ(shell::content(Control::要翻译的), "안녕 세계 😀");
    click(Control::翻译按钮);
    ASSERT_TRUE(test_support::wait_until(translated, 60000));
    // Recognised as Korean from its first character.
    EXPECT_EQ(shell::content(Control::源语言组合框), "韩语");
    EXPECT_EQ(first_request_line(),
              "GET /translate_a/t?client=t&text=%EC%95%88%EB%85%95%20%EC%84%B8%EA%B3%84%20%F0%9F%98%80"
              "&hl=zh-CN&sl=ko&tl=zh-CN&multires=1&otf=2&ssel=0&tsel=0&sc=1 HTTP/1.1");
    EXPECT_EQ(shell::content(Control::已翻译结果), "zh-CN:안녕 세계 😀");

    // A script of several languages is left to the service to detect.
    standin::reset();
    EXPECT_EQ(translated_text("Ñandú"), "zh-CN:Ñandú");
    EXPECT_NE(first_request_line().find("&sl=auto&tl=zh-CN&"), std::string::npos) << first_request_line();
}

TEST_F(Unicode, BrokenTextBecomesReplacementCharactersAndNothingIsLost) {
    // A lone surrogate typed (or pasted) in the middle of a text.
    type_into(Control::要翻译的, std::wstring{L'a', static_cast<wchar_t>(0xD800), L'b'});
    click(Control::翻译按钮);
    ASSERT_TRUE(test_support::wait_until(translated, 60000));
    EXPECT_NE(first_request_line().find("text=a%EF%BF%BDb&"), std::string::npos) << first_request_line();
    EXPECT_EQ(shell::content(Control::已翻译结果), "zh-CN:a\uFFFDb");

    // Invalid UTF-8 from the service: each broken piece one U+FFFD, the rest kept.
    standin::mode("fault=utf8bad");
    EXPECT_EQ(translated_text("Hi"), "\uFFFD\uFFFD\uFFFD(");
    // A NUL in a reply ends it there, as the body has always been read up to its first zero: what
    // is left has no sentence list, and the cutting shows the bare heading.
    standin::mode("fault=nul");
    EXPECT_EQ(translated_text("Hi"), "\r\n\r\n字典: ");
    standin::mode("");
}
