#include <gtest/gtest.h>

#include "speech/speech_text.h"

using namespace speech;

TEST(TextToSpeak, ResultFirstLineAndSourceLines) {
    EXPECT_EQ(result_text_to_speak("x\r\n\r\n字典: 1.a  "), "x");
    EXPECT_EQ(result_text_to_speak("\r\nx"), "");
    EXPECT_EQ(result_text_to_speak(""), "");
    EXPECT_EQ(source_text_to_speak("a\r\n\r\nb"), "a。b。");
    EXPECT_EQ(source_text_to_speak("\r\n\r\n"), "");
    EXPECT_EQ(source_text_to_speak("你好"), "你好。");
}

TEST(WebPageUrl, PrefixesRemovedOnceWithinTheFirstTenColumns) {
    struct Case { Text address, url; };
    const Case cases[] = {
        {"", "http://w/?hl=zh-CN#"},
        {"http://abc/d", "http://w/translate?hl=zh-CN&sl=fr&u=http://abc/d"},
        {"HTTP://abc", "http://w/translate?hl=zh-CN&sl=fr&u=http://abc"},
        {"Http://abc", "http://w/translate?hl=zh-CN&sl=fr&u=http://Http://abc"},
        {"https://abc", "http://w/translate?hl=zh-CN&sl=fr&u=http://https://abc"},
        {"  http://abc", "http://w/translate?hl=zh-CN&sl=fr&u=http://  abc"},
        {"0123456789http://x", "http://w/translate?hl=zh-CN&sl=fr&u=http://0123456789http://x"},
        {"012345678http://x", "http://w/translate?hl=zh-CN&sl=fr&u=http://012345678x"},
        {"http://HTTP://x", "http://w/translate?hl=zh-CN&sl=fr&u=http://x"},
        {"http://a http://b", "http://w/translate?hl=zh-CN&sl=fr&u=http://a http://b"},
        {"中文 a%20", "http://w/translate?hl=zh-CN&sl=fr&u=http://中文 a%20"},
        // A character beyond ASCII is two columns wide, as in the Chinese code page.
        {"网址网址http://x", "http://w/translate?hl=zh-CN&sl=fr&u=http://网址网址x"},
        {"网址网址 http://x", "http://w/translate?hl=zh-CN&sl=fr&u=http://网址网址 x"},
        {"网址网址网http://x", "http://w/translate?hl=zh-CN&sl=fr&u=http://网址网址网http://x"},
        {"주소주소 http://x", "http://w/translate?hl=zh-CN&sl=fr&u=http://주소주소 x"},
        {"é😀é😀 http://x", "http://w/translate?hl=zh-CN&sl=fr&u=http://é😀é😀 x"},
    };
    for (const Case& c : cases) EXPECT_EQ(web_page_url("w", c.address, "fr"), c.url) << c.address;
    EXPECT_EQ(browser_command_line("u"), "\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" u");
}

TEST(MediaTypes, FileAndDeviceTypes) {
    struct Case { Text path, type, device; bool video; };
    const Case cases[] = {
        {"C:\\x\\zaz结果发音文件.mp3", "mp3", "MPEGvideo", false},
        {"A.MP3", "mp3", "MPEGvideo", false},
        {"song.rmvb", "rmv", "MPEGvideo", true},
        {"noext", "noe", "MPEGvideo", true},
        {"a.b.wav", "wav", "waveaudio", false},
        {"clip.AVI", "avi", "avivideo", true},
        {"x.wma", "wma", "MPEGvideo2", true},
        {"x.mid", "mid", "Sequencer", false},
        {"x.", "", "MPEGvideo", true},
        {"", "", "MPEGvideo", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(media_file_type(c.path), c.type) << c.path;
        EXPECT_EQ(media_device_type(c.type), c.device) << c.path;
        EXPECT_EQ(is_video_type(c.type), c.video) << c.path;
    }
}
