#include "engines/engine.h"

#include "engines/google_cloud.h"
#include "engines/json_text.h"
#include "engines/libretranslate.h"
#include "engines/lingva.h"

namespace engines {

namespace {

const char kFailed[] = "翻译失败：";
const char kSpeechFailed[] = "朗读失败：";

bool has_scheme(const Text& address) { return address.find("://") != Text::npos; }

// The host of an address with or without a scheme, without port, path or brackets.
Text host_of(const Text& address) {
    Text rest = has_scheme(address) ? address.substr(address.find("://") + 3) : address;
    rest = rest.substr(0, rest.find_first_of("/?#"));
    if (!rest.empty() && rest[0] == '[') return rest.substr(1, rest.find(']') - 1);
    return rest.substr(0, rest.find(':'));
}

bool is_loopback(const Text& host) {
    Text lower = runtime::to_lower(host);
    return lower == "localhost" || lower == "::1" || lower.rfind("127.", 0) == 0;
}

// The address as requests are built on it: the engine's own when none is set; https:// when no
// scheme is given, since a key may travel with the request, but http:// for this computer itself,
// where local servers rarely speak TLS; no slash at the end.
Text service_address(const Text& written, const char* fallback) {
    Text address = written.empty() ? Text(fallback) : written;
    if (!has_scheme(address)) address = (is_loopback(host_of(address)) ? "http://" : "https://") + address;
    while (!address.empty() && address.back() == '/') address.pop_back();
    return address;
}

Text unknown_engine(const char* failed, const char* section, const Text& name, const std::vector<Text>& known) {
    Text list;
    for (const Text& known_name : known) list += (list.empty() ? "" : "、") + known_name;
    return Text(failed) + "tarvik.ini 的 [" + section + "] engine=" + name + " 不是可用的引擎（可用：" + list + "）";
}

Text missing(const char* failed, const char* engine, const char* section, const char* key, const char* what) {
    return Text(failed) + "使用 " + engine + " 需要在 tarvik.ini 的 [" + section + "] 写上 " + key + "（" + what + "）";
}

// The engine one section names, with its address and key, or what keeps it from being used.
Choice choose(const ServiceSettings& service, bool speech) {
    const char* failed = speech ? kSpeechFailed : kFailed;
    const char* section = speech ? "speech" : "translation";
    Choice choice;
    choice.key = service.key;
    if (service.engine == kClassic) return choice;
    if (speech && service.engine == kNoSpeech) {
        choice.engine = Engine::none;
        return choice;
    }
    if (service.key_unreadable) {
        choice.problem = Text(failed) + "tarvik.ini 的 [" + section +
                         "] key 无法解密（它是另一个用户保存的），请在“服务设置”中重新输入";
        return choice;
    }
    if (!speech && service.engine == kLibreTranslate) {
        choice.engine = Engine::libretranslate;
        choice.address = service_address(service.address, libretranslate::kDefaultAddress);
    } else if (service.engine == kGoogleCloud) {
        choice.engine = Engine::google_cloud;
        choice.address =
            service_address(service.address, speech ? google_cloud::kSpeechAddress : google_cloud::kTranslationAddress);
        if (service.key.empty())
            choice.problem = missing(failed, kGoogleCloud, section, "key", "Google Cloud 的 API 密钥");
    } else if (service.engine == kLingva) {
        choice.engine = Engine::lingva;
        choice.address = service_address(service.address, "");
        if (service.address.empty())
            choice.problem = missing(failed, kLingva, section, "address", "Lingva 服务器的地址");
    } else {
        choice.engine = Engine::classic;
        choice.problem = unknown_engine(failed, section, service.engine,
                                        speech ? speech_engine_names() : translation_engine_names());
    }
    return choice;
}

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

Replies translate_with_google(const Choice& choice, const std::vector<Text>& pieces, const Text& source_code,
                              const Text& target_code, const net::HttpSend& send) {
    Replies replies;
    for (const google_cloud::Batch& batch : google_cloud::batches(pieces)) {
        std::vector<Text> part(pieces.begin() + static_cast<std::ptrdiff_t>(batch.first),
                               pieces.begin() + static_cast<std::ptrdiff_t>(batch.first + batch.count));
        net::HttpReply reply = send(google_cloud::translation_request(choice, part, source_code, target_code));
        google_cloud::Reading reading = google_cloud::read_translation(reply, part.size());
        if (!reading.ok) return Replies{{}, failure_line(Engine::google_cloud, reply, reading.message)};
        for (const std::string& translation : reading.translations) {
            replies.replies.push_back(classic_reply(translation, source_code));
        }
    }
    return replies;
}

// Lingva has no batch form: one request a piece, with the dictionary where it has one.
Replies translate_with_lingva(const Choice& choice, const std::vector<Text>& pieces, const Text& source_code,
                              const Text& target_code, const net::HttpSend& send) {
    Replies replies;
    for (const Text& piece : pieces) {
        net::HttpReply reply = send(lingva::translation_request(choice, piece, source_code, target_code));
        lingva::Reading reading = lingva::read_translation(reply);
        if (!reading.ok) return Replies{{}, failure_line(Engine::lingva, reply, reading.message)};
        replies.replies.push_back(classic_reply(reading.translation, reading.dictionary, source_code));
    }
    return replies;
}

}  // namespace

Choice translation_engine(const Settings& settings) { return choose(settings.translation, false); }

bool key_travels_in_clear(const Text& address) {
    Text scheme = runtime::to_lower(address.substr(0, address.find("://")));
    return has_scheme(address) && scheme == "http" && !is_loopback(host_of(address));
}

const std::vector<Text>& translation_engine_names() {
    static const std::vector<Text> names{kClassic, kLibreTranslate, kGoogleCloud, kLingva};
    return names;
}

const std::vector<Text>& speech_engine_names() {
    static const std::vector<Text> names{kClassic, kNoSpeech, kGoogleCloud, kLingva};
    return names;
}

Choice speech_engine(const Settings& settings) {
    if (settings.speech_section) return choose(settings.speech, true);
    const ServiceSettings& translation = settings.translation;
    Choice choice;
    if (translation.engine == kLingva && !translation.address.empty()) {
        choice.engine = Engine::lingva;
        choice.address = service_address(translation.address, "");
    } else if (translation.engine == kGoogleCloud && !translation.key.empty() && !translation.key_unreadable) {
        choice.engine = Engine::google_cloud;
        choice.address = service_address("", google_cloud::kSpeechAddress);
        choice.key = translation.key;
    }
    return choice;
}

const char* display_name(Engine engine) {
    switch (engine) {
        case Engine::libretranslate:
            return "LibreTranslate";
        case Engine::google_cloud:
            return "Google Cloud";
        case Engine::lingva:
            return "Lingva";
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
    if (reply.status != 0 && !net::is_success(reply.status)) {
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
    return classic_reply(translation_utf8, Dictionary(), source_code);
}

// [[["translation","","",""]],[["part",["word","word"]],["part",["word"]]],"code",,[[0]],0]; without
// a dictionary its slot stays empty.
Text classic_reply(const Text& translation_utf8, const Dictionary& dictionary, const Text& source_code) {
    Text entries;
    for (const auto& [part, words] : dictionary) {
        Text quoted;
        for (const std::string& word : words) quoted += (quoted.empty() ? "\"" : ",\"") + word + "\"";
        entries += (entries.empty() ? "[\"" : ",[\"") + part + "\",[" + quoted + "]]";
    }
    Text slot = entries.empty() ? Text() : "[" + entries + "]";
    return "[[[\"" + translation_utf8 + "\",\"\",\"\",\"\"]]," + slot + ",\"" + source_code + "\",,[[0]],0]";
}

Replies translate_pieces(const Choice& choice, const std::vector<Text>& pieces, const Text& source_code,
                         const Text& target_code, const net::HttpSend& send) {
    if (pieces.empty()) return Replies();
    if (choice.engine == Engine::libretranslate) {
        return translate_with_libretranslate(choice, pieces, source_code, target_code, send);
    }
    if (choice.engine == Engine::google_cloud)
        return translate_with_google(choice, pieces, source_code, target_code, send);
    if (choice.engine == Engine::lingva) return translate_with_lingva(choice, pieces, source_code, target_code, send);
    Replies replies;
    replies.failure = Text(kFailed) + display_name(choice.engine) + " 不能翻译";
    return replies;
}

std::optional<runtime::Bytes> speak(const Choice& choice, const Text& text, const Text& list_code,
                                    const net::HttpSend& send) {
    if (choice.engine == Engine::google_cloud) {
        return google_cloud::read_speech(send(google_cloud::speech_request(choice, text, list_code)));
    }
    if (choice.engine == Engine::lingva)
        return lingva::read_speech(send(lingva::speech_request(choice, text, list_code)));
    return std::nullopt;
}

}  // namespace engines
