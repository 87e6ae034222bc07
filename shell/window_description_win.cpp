#include "shell/window_description.h"

#include <windows.h>

#include "shell/handlers.h"
#include "translate/algorithm.h"
#include "translate/languages.h"

namespace shell {

int scaled(int pixels, int dpi) { return MulDiv(pixels, dpi, kDescriptionDpi); }

Rect scaled_rect(const ControlDescription& description, int dpi) {
    return {scaled(description.left, dpi), scaled(description.top, dpi), scaled(description.width, dpi),
            scaled(description.height, dpi)};
}

const WindowDescription& main_window_description() {
    static const WindowDescription window{"Tarvik在线翻译zaz-Oskel科技", 756, 445};
    return window;
}

const std::vector<ControlDescription>& control_descriptions() {
    using C = Control;
    using K = Kind;
    static const std::vector<ControlDescription> controls = {
        {C::源语言标签2, K::label, 10, 10, 80, 20, "要翻译的网址：", nullptr, nullptr, nullptr},
        {C::编辑框1, K::edit, 94, 9, 368, 24, "", nullptr, nullptr, web_page_key},
        {C::源语言标签1, K::label, 472, 10, 66, 20, "网页源语言：", nullptr, nullptr, nullptr},
        {C::源语言组合框1, K::drop_down_list, 543, 11, 112, 20, "", nullptr, nullptr, nullptr},
        {C::翻译按钮1, K::button, 664, 6, 80, 30, "谷歌网页翻译", web_page_command, nullptr, nullptr},
        {C::已翻译的内容标签, K::label, 10, 38, 82, 24, "已翻译的内容：", nullptr, nullptr, nullptr},
        {C::已翻译结果, K::multiline_edit, 8, 62, 736, 138, "", nullptr, nullptr, nullptr},
        {C::待翻译的内容标签, K::label, 10, 200, 82, 24, "待翻译的内容：", nullptr, nullptr, nullptr},
        {C::要翻译的, K::multiline_edit, 8, 226, 736, 138, "", nullptr, nullptr, translate_hot_key},
        {C::媒体播放1, K::media_player, 128, 204, 40, 16, "", nullptr, nullptr, nullptr},
        {C::源语言标签, K::label, 9, 381, 42, 20, "源语言：", nullptr, nullptr, nullptr},
        {C::源语言组合框, K::drop_down_list, 56, 381, 112, 20, "", nullptr, source_language_picked, nullptr},
        {C::目标语言标签, K::label, 176, 381, 55, 20, "目标语言：", nullptr, nullptr, nullptr},
        {C::目标语言组合框, K::drop_down_list, 240, 381, 112, 20, "", nullptr, target_language_picked, nullptr},
        {C::选择框1, K::check_box, 360, 382, 72, 16, "自动识别", nullptr, nullptr, nullptr},
        {C::互换按钮, K::button, 432, 376, 40, 30, "互换", swap_languages, nullptr, nullptr},
        {C::朗读按钮1, K::button, 483, 376, 80, 30, "朗读原文", source_speech_command, nullptr, nullptr},
        {C::朗读按钮, K::button, 574, 376, 80, 30, "朗读结果", result_speech_command, nullptr, nullptr},
        {C::翻译按钮, K::button, 665, 376, 80, 30, "   翻译     ( Alt+S )", translate_command, nullptr,
         nullptr},
    };
    return controls;
}

const ControlDescription& description_of(Control control) { return control_descriptions()[static_cast<int>(control)]; }

std::vector<runtime::Text> initial_items(Control list) {
    std::vector<runtime::Text> items = translate::list_languages();
    if (list == Control::源语言组合框1) items.push_back(translate::kAutoDetect);
    return items;
}

int initial_selection(Control list) {
    switch (list) {
        case Control::源语言组合框1: return translate::kAutoDetectIndex;
        case Control::源语言组合框: return translate::kEnglishIndex;
        default: return 0;
    }
}

}  // namespace shell
