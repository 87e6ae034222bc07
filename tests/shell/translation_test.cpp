#include "tests/shell/shell_fixture.h"
#include "translate/languages.h"

using namespace shell_test;

namespace {

const std::string kAccept =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";

std::string url_for(const std::string& encoded_text, const std::string& sl, const std::string& tl) {
    return "/translate_a/t?client=t&text=" + encoded_text + "&hl=zh-CN&sl=" + sl + "&tl=" + tl +
           "&multires=1&otf=2&ssel=0&tsel=0&sc=1";
}

// Starts a translation with the button and waits until the worker has written its result.
void translate_by_button() {
    click(Control::翻译按钮);
    ASSERT_TRUE(test_support::wait_until(translated, 60000));
}

}  // namespace

class Translation : public WindowTest {};

TEST_F(Translation, SingleLineShowsTheDictionaryAfterOneRequest) {
    shell::set_content(Control::要翻译的, "Hello");
    translate_by_button();
    EXPECT_EQ(shell::content(Control::已翻译结果), "Hello\r\n\r\n感叹词: 1.hello  2.hi  3.how do you do  ");
    auto requests = standin::log();
    ASSERT_EQ(requests.size(), 1u);
    std::string path = url_for("Hello", "en", "zh-CN");
    EXPECT_EQ(standin::request_line(requests[0]), "GET " + path + " HTTP/1.1");
    EXPECT_NE(requests[0].find(kAccept + "Referer: http://" + standin::host() + path + "\r\nAccept-Language: zh-cn\r\n"),
              std::string::npos)
        << requests[0];
    EXPECT_EQ(translate::sourceLanguageCode.get(), "en");
    EXPECT_EQ(translate::targetLanguageCode.get(), "zh-CN");
}

TEST_F(Translation, SeveralLinesMakeOneRequestPerClauseInOrder) {
    shell::set_content(Control::要翻译的, "你好，世界。\r\n再见");
    translate_by_button();
    // Automatic recognition: Chinese source, so the target turns to English.
    EXPECT_EQ(shell::content(Control::源语言组合框), "中文(简体)");
    EXPECT_EQ(shell::content(Control::目标语言组合框), "英语");
    EXPECT_TRUE(shell::ticked(Control::选择框1));
    EXPECT_EQ(shell::content(Control::已翻译结果), "en:你好,en:世界.\r\nen:再见.\r\n");
    auto requests = standin::log();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(standin::request_line(requests[0]), "GET " + url_for("%E4%BD%A0%E5%A5%BD", "zh-CN", "en") + " HTTP/1.1");
    EXPECT_EQ(standin::request_line(requests[1]), "GET " + url_for("%E4%B8%96%E7%95%8C", "zh-CN", "en") + " HTTP/1.1");
    EXPECT_EQ(standin::request_line(requests[2]), "GET " + url_for("%E5%86%8D%E8%A7%81", "zh-CN", "en") + " HTTP/1.1");
}

TEST_F(Translation, WithoutAutomaticRecognitionTheListsDecide) {
    shell::set_ticked(Control::选择框1, false);
    shell::set_selection(Control::源语言组合框, 19);  // 法语
    shell::set_selection(Control::目标语言组合框, 17);  // 德语
    shell::set_content(Control::要翻译的, "bonjour le monde");
    translate_by_button();
    EXPECT_EQ(shell::content(Control::已翻译结果), "de:bonjour le monde");
    EXPECT_EQ(standin::request_line(standin::log().at(0)),
              "GET " + url_for("bonjour%20le%20monde", "fr", "de") + " HTTP/1.1");
}

TEST_F(Translation, ARefusalOrNoAnswerIsSaidInOneLine) {
    standin::use_classic_hosts("127.0.0.1:1");
    shell::set_content(Control::要翻译的, "Hi");
    translate_by_button();
    EXPECT_EQ(shell::content(Control::已翻译结果),
              "翻译失败：经典接口没有回应（无法连接，或者超时）。请在窗口的系统菜单（标题栏左端的图标，或按 "
              "Alt+空格）中打开“服务设置...”，换用其他服务，例如不需要密钥的 google-web");

    // The endpoint's own refusal, as it answers today: its 403 page is no translation.
    standin::use_classic_hosts();
    standin::mode("fault=status&code=403");
    shell::set_content(Control::要翻译的, "one\r\ntwo\r\nthree");
    translate_by_button();
    EXPECT_EQ(shell::content(Control::已翻译结果).rfind("翻译失败：经典接口拒绝了请求（HTTP 403", 0), 0u);
    EXPECT_EQ(standin::count("/translate_a"), 1) << "nothing more is asked once refused";
}

TEST_F(Translation, EmptySourceLeavesTheResultAlone) {
    shell::set_content(Control::已翻译结果, "earlier result");
    for (const char* source : {"", "\r\n\r\n"}) {
        shell::set_content(Control::要翻译的, source);
        translate_by_button();
        EXPECT_EQ(shell::content(Control::已翻译结果), "earlier result");
    }
    EXPECT_EQ(standin::count("/translate_a"), 0);
}

TEST_F(Translation, AltSStartsATranslationOtherModifiersDoNot) {
    shell::set_content(Control::要翻译的, "Hi");
    hold_keys({VK_MENU, VK_CONTROL});
    press_key(Control::要翻译的, 'S', true);
    hold_keys({VK_SHIFT});
    press_key(Control::要翻译的, 'S', false);
    hold_keys({});
    press_key(Control::要翻译的, 'S', false);
    hold_keys({VK_MENU});
    press_key(Control::编辑框1, 'S', true);
    EXPECT_TRUE(test_support::wait_until(translated));
    EXPECT_EQ(standin::count("/translate_a"), 0);

    runtime::process_events();  // the plain presses typed their letters; start again from "Hi"
    shell::set_content(Control::要翻译的, "Hi");
    press_key(Control::要翻译的, 'S', true);
    hold_keys({});
    EXPECT_TRUE(test_support::wait_until([] { return translated() && standin::count("/translate_a") == 1; }));
    EXPECT_EQ(shell::content(Control::已翻译结果), "你好\r\n\r\n感叹词: 1.你好  2.嗨  ");
}

TEST_F(Translation, ClicksWhileATranslationRunsStartNoSecondWorker) {
    standin::mode("fault=stall&seconds=2");
    shell::set_content(Control::要翻译的, "Hi");
    for (int i = 0; i < 50; ++i) click(Control::翻译按钮);
    // The window stays usable meanwhile: the lists and the swap button answer at once.
    ASSERT_TRUE(test_support::wait_until([] { return standin::count("/translate_a") == 1; }));
    EXPECT_EQ(tasks::translationBusy.load(), 1);
    click(Control::互换按钮);
    EXPECT_EQ(shell::selection(Control::源语言组合框), 0);
    shell::set_selection(Control::目标语言组合框, 7);
    EXPECT_EQ(shell::content(Control::目标语言组合框), "阿拉伯语");
    for (int i = 0; i < 50; ++i) click(Control::翻译按钮);
    ASSERT_TRUE(test_support::wait_until(translated, 60000));
    EXPECT_EQ(standin::count("/translate_a"), 1);
}
