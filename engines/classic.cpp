#include "engines/classic.h"

#include "net/url.h"

namespace engines {

Text translation_url(const Text& host, const Text& piece, const Text& source_code, const Text& target_code) {
    return "http://" + host + "/translate_a/t?client=t&text=" + net::url_encode(piece) + "&hl=zh-CN&sl=" +
           source_code + "&tl=" + target_code + "&multires=1&otf=2&ssel=0&tsel=0&sc=1";
}

Text speech_url(const Text& host, const Text& text, const Text& language_code) {
    return "http://" + host + "/translate_tts?ie=UTF-8&q=" + net::url_encode(text) + "&tl=" + language_code;
}

}  // namespace engines
