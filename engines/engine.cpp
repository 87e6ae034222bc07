#include "engines/engine.h"

#include "engines/json_text.h"
#include "engines/libretranslate.h"

namespace engines {

namespace {

const char kFailed[] = "翻译失败：";
const char kSpeechFailed[] = "朗读失败：";

// The address as requests are built on it: the engine's own when none is set, http:// when no
// scheme is given, no slash at the end.
Text service_address(const Text& written, const char* fallback) {
    Text address = written.empty() ? Text(fallback) : written;
    if (address.find("://") == Text::npos) address = "http://" + address;
    while (!address.empty() && address.back() == '/') address.pop_back();
    return address;
}

Text unknown_engine(const char* failed, const char* section, const Text& name, const std::vector<Text>& known) {
    Text list;
    for (const Text& known_name : known) list += (list.empty() ? "" : "、") + known_name;
    return Text(failed) + "tarvik.ini 的 [" + section + "] engine=" + name + " 不是可用的引擎（可用：" + list + "）";
}

bool is_success(int status) { return status >= 200 && status < 300; }

Replies translate_with_libretranslate(const Choice& choice, const std::vector<Text>& pieces, const Text& source_code,
                                      const Text& target_code, const net::HttpSend& send) {
    net::HttpReply reply = send(libretranslate::request(choice, pieces, source_code, target_code));
    libretranslate::Reading reading = libretranslate::read(reply, pieces.size());
    Replies replies;
    if (reading.ok) {
        for (const std::string& translation : reading.translations) {
            replies.replies.push_back(classic_reply(translation, source_code));
        }
        return replies;
    }
    // A server that takes fewer texts or characters at once than we sent gets them in halves.
    if (reading.over_limit && pieces.size() > 1) {
        auto middle = pieces.begin() + static_cast<std::ptrdiff_t>(pieces.size() / 2);
        replies = translate_with_libretranslate(choice, {pieces.begin(), middle}, source_code, target_code, send);
        if (!replies.failure.empty()) return replies;
        Replies rest = translate_with_libretranslate(choice, {middle, pieces.end()}, source_code, target_code, send);
        if (!rest.failure.empty()) return rest;
        replies.replies.insert(replies.replies.end(), rest.replies.begin(), rest.replies.end());
        return replies;
    }
    replies.failure = failure_line(Engine::libretranslate, reply, reading.message);
    return replies;
}

}  // namespace

Choice translation_engine(const Settings& settings) {
    const ServiceSettings& service = settings.translation;
    Choice choice;
    choice.key = service.key;
    if (service.engine == kClassic) return choice;
    if (service.key_unreadable) {
        choice.problem = Text(kFailed) +
                         "tarvik.ini 的 [translation] key 无法解密（它是另一个用户保存的），请在“服务设置”中重新输入";
        return choice;
    }
    if (service.engine == kLibreTranslate) {
        choice.engine = Engine::libretranslate;
        choice.address = service_address(service.address, libretranslate::kDefaultAddress);
        return choice;
    }
    choice.problem = unknown_engine(kFailed, "translation", service.engine, translation_engine_names());
    return choice;
}

const std::vector<Text>& translation_engine_names() {
    static const std::vector<Text> names{kClassic, kLibreTranslate};
    return names;
}

const std::vector<Text>& speech_engine_names() {
    static const std::vector<Text> names{kClassic, kNoSpeech};
    return names;
}

Choice speech_engine(const Settings& settings) {
    Choice choice;
    if (!settings.speech_section || settings.speech.engine == kClassic) return choice;
    if (settings.speech.engine == kNoSpeech) {
        choice.engine = Engine::none;
        return choice;
    }
    choice.problem = unknown_engine(kSpeechFailed, "speech", settings.speech.engine, speech_engine_names());
    return choice;
}

const char* display_name(Engine engine) {
    switch (engine) {
        case Engine::libretranslate:
            return "LibreTranslate";
        case Engine::none:
            return "none";
        case Engine::classic:
            break;
    }
    return "classic";
}

Text failure_line(Engine engine, const net::HttpReply& reply, const Text& service_message_utf8) {
    Text name = display_name(engine);
    Text message = one_line_message(service_message_utf8);
    if (reply.status != 0 && !is_success(reply.status)) {
        Text line = kFailed + name + " 返回 HTTP " + runtime::to_text(reply.status);
        return message.empty() ? line : line + "：" + message;
    }
    if (reply.status != 0) return kFailed + name + " 的回复无法识别（HTTP " + runtime::to_text(reply.status) + "）";
    Text code = runtime::to_text(static_cast<int>(reply.error));
    if (reply.error == net::kErrorTimeout) return kFailed + name + " 没有及时回应（超时）";
    if (net::is_certificate_error(reply.error)) return kFailed + name + " 的证书不受信任（错误 " + code + "）";
    return kFailed + Text("无法连接 ") + name + "（错误 " + code + "）";
}

Text classic_reply(const Text& translation_utf8, const Text& source_code) {
    return "[[[\"" + from_utf8(translation_utf8) + "\",\"\",\"\",\"\"]],,\"" + source_code + "\",,[[0]],0]";
}

Replies translate_pieces(const Choice& choice, const std::vector<Text>& pieces, const Text& source_code,
                         const Text& target_code, const net::HttpSend& send) {
    if (pieces.empty()) return Replies();
    if (choice.engine == Engine::libretranslate) {
        return translate_with_libretranslate(choice, pieces, source_code, target_code, send);
    }
    Replies replies;
    replies.failure = Text(kFailed) + display_name(choice.engine) + " 不能翻译";
    return replies;
}

}  // namespace engines
