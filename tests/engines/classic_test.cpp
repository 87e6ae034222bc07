// The classic endpoints' URLs, part by part.
#include <gtest/gtest.h>

#include "engines/classic.h"

using namespace engines;

TEST(TranslationUrl, PartsInOrder) {
    EXPECT_EQ(translation_url("translate.google.com", "Hi", "en", "zh-CN"),
              "http://translate.google.com/translate_a/t?client=t&text=Hi&hl=zh-CN&sl=en&tl=zh-CN&multires=1&otf=2&"
              "ssel=0&tsel=0&sc=1");
    Text url = translation_url("h", "你好", "zh-CN", "en");
    EXPECT_NE(url.find("text=%E4%BD%A0%E5%A5%BD&hl=zh-CN&sl=zh-CN&tl=en"), Text::npos);
    EXPECT_NE(translation_url("h", "", "", "").find("text=&hl=zh-CN&sl=&tl=&"), Text::npos);
}

TEST(SpeechUrl, EncodedTextAndCodeAsIs) {
    EXPECT_EQ(speech_url("h:1", "a b", "zh-CN"), "http://h:1/translate_tts?ie=UTF-8&q=a b&tl=zh-CN");
    EXPECT_EQ(speech_url("h", "", ""), "http://h/translate_tts?ie=UTF-8&q=&tl=");
    EXPECT_EQ(speech_url("h", "中。", "zh-CN"), "http://h/translate_tts?ie=UTF-8&q=%E4%B8%AD%E3%80%82&tl=zh-CN");
}
