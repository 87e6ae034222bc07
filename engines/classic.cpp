#include "engines/classic.h"

#include "net/url.h"

namespace engines {

namespace {

Text no_address(const ServiceSettings&) { return Text(); }

std::optional<Text> list_code(const Text& code, bool) { return code; }

Limit no_limit(const Choice&, const net::HttpSend&) { return Limit(); }

const char kWhereToChoose[] =
    "请在窗口的系统菜单（标题栏左端的图标，或按 Alt+空格）中打开“服务设置...”，换用其他服务，例如不需要密钥的 "
    "google-web";

}  // namespace

const EngineRow& classic_engine() {
    static const EngineRow row{kClassic, "经典接口", no_address, false,   list_code,
                               nullptr,  no_limit,   nullptr,    nullptr, Limit{}, nullptr};
    return row;
}

Text translation_url(const Text& host, const Text& piece, const Text& source_code, const Text& target_code) {
    return "http://" + host + "/translate_a/t?client=t&text=" + net::url_encode(piece) + "&hl=zh-CN&sl=" +
           source_code + "&tl=" + target_code + "&multires=1&otf=2&ssel=0&tsel=0&sc=1";
}

Text speech_url(const Text& host, const Text& text, const Text& language_code) {
    return "http://" + host + "/translate_tts?ie=UTF-8&q=" + net::url_encode(text) + "&tl=" + language_code;
}

Text classic_refusal(const net::HttpReply& reply) {
    if (reply.status == 0) return Text(kTranslationFailed) + "经典接口没有回应（无法连接，或者超时）。" + kWhereToChoose;
    return Text(kTranslationFailed) + "经典接口拒绝了请求（HTTP " + runtime::to_text(reply.status) +
           "，它已不再为这个程序服务）。" + kWhereToChoose;
}

}  // namespace engines
