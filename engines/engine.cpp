#include "engines/engine.h"

#include "engines/classic.h"
#include "engines/deepl.h"
#include "engines/google_cloud.h"
#include "engines/google_web.h"
#include "engines/json_text.h"
#include "engines/libretranslate.h"
#include "engines/lingva.h"
#include "engines/microsoft.h"
#include "engines/mp3.h"
#include "engines/parallel.h"

namespace engines {

namespace {

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
Text service_address(const Text& written, const Text& fallback) {
    Text address = written.empty() ? fallback : written;
    if (address.empty()) return address;
    if (!has_scheme(address)) address = (is_loopback(host_of(address)) ? "http://" : "https://") + address;
    while (!address.empty() && address.back() == '/') address.pop_back();
    return address;
}

const EngineRow* row_named(const Text& name) {
    for (const EngineRow* row : engine_table()) {
        if (name == row->name) return row;
    }
    return nullptr;
}

Text list_of(const std::vector<Text>& names) {
    Text list;
    for (const Text& name : names) list += (list.empty() ? "" : "、") + name;
    return list;
}

Text unknown_engine(const char* failed, const char* section, const Text& name, const std::vector<Text>& known) {
    return Text(failed) + "tarvik.ini 的 [" + section + "] engine=" + name + " 不是可用的引擎（可用：" +
           list_of(known) + "）";
}

Text missing(const char* failed, const EngineRow& engine, const char* section, const char* key, const char* what) {
    return Text(failed) + "使用 " + engine.name + " 需要在 tarvik.ini 的 [" + section + "] 写上 " + key + "（" +
           engine.display_name + " " + what + "）";
}

bool serves(const EngineRow& engine, bool speech) {
    return &engine == &classic_engine() || (speech ? engine.speak != nullptr : engine.translate != nullptr);
}

// The engine one section names, with its address and key, or what keeps it from being used.
Choice choose(const ServiceSettings& service, bool speech) {
    const char* failed = speech ? kSpeechFailed : kTranslationFailed;
    const char* section = speech ? "speech" : "translation";
    Choice choice;
    choice.key = service.key;
    choice.region = service.region;
    choice.client = service.client;
    if (speech && service.engine == kNoSpeech) {
        choice.silent = true;
        return choice;
    }
    const EngineRow* engine = row_named(service.engine);
    if (!engine || !serves(*engine, speech)) {
        choice.problem = unknown_engine(failed, section, service.engine,
                                        speech ? speech_engine_names() : translation_engine_names());
        return choice;
    }
    choice.engine = engine;
    if (engine == &classic_engine()) return choice;
    if (service.key_unreadable) {
        choice.problem = Text(failed) + "tarvik.ini 的 [" + section +
                         "] key 无法解密（它是另一个用户保存的），请在“服务设置”中重新输入";
        return choice;
    }
    Text fallback = speech && engine->speech_address ? Text(engine->speech_address) : engine->default_address(service);
    choice.address = service_address(service.address, fallback);
    if (engine->needs_key && service.key.empty()) {
        choice.problem = missing(failed, *engine, section, "key", "的密钥");
    } else if (choice.address.empty()) {
        choice.problem = missing(failed, *engine, section, "address", "服务器的地址");
    }
    return choice;
}

Text unsupported(const EngineRow& engine, const Language& language) {
    return Text(kTranslationFailed) + engine.display_name + " 不提供" + language.name + "的翻译，请在列表中换一种语言或换一个服务";
}

// Where each piece's parts stand among the texts sent, and what stood between them.
struct Slot {
    size_t first = 0;
    size_t count = 0;
    std::vector<Text> joints;
};

PieceTranslation piece_from(const Slot& slot, const std::vector<PieceTranslation>& parts) {
    if (slot.count == 0) return PieceTranslation();
    if (slot.count == 1) return parts[slot.first];
    std::vector<Text> texts;
    for (size_t i = 0; i < slot.count; ++i) texts.push_back(parts[slot.first + i].text);
    return PieceTranslation{join_parts(texts, slot.joints), std::nullopt};
}

}  // namespace

const std::vector<const EngineRow*>& engine_table() {
    static const std::vector<const EngineRow*> table = {
        &classic_engine(), &google_web::engine(), &libretranslate::engine(), &lingva::engine(),
        &google_cloud::engine(), &deepl::engine(), &microsoft::engine(),
    };
    return table;
}

Choice translation_engine(const Settings& settings) { return choose(settings.translation, false); }

Choice speech_engine(const Settings& settings) {
    if (settings.speech_section) return choose(settings.speech, true);
    Choice translation = translation_engine(settings);
    if (!translation.problem.empty() || !translation.engine->speak) return Choice();
    if (translation.engine->speech_address) translation.address = service_address("", translation.engine->speech_address);
    return translation;
}

std::vector<Text> translation_engine_names() {
    std::vector<Text> names;
    for (const EngineRow* row : engine_table()) names.push_back(row->name);
    return names;
}

std::vector<Text> speech_engine_names() {
    std::vector<Text> names{kClassic, kNoSpeech};
    for (const EngineRow* row : engine_table()) {
        if (row->speak) names.push_back(row->name);
    }
    return names;
}

const char* extra_setting_of(const Text& engine_name) {
    const EngineRow* row = row_named(engine_name);
    return row ? row->extra_setting : nullptr;
}

bool key_travels_in_clear(const Text& address) {
    Text scheme = runtime::to_lower(address.substr(0, address.find("://")));
    return has_scheme(address) && scheme == "http" && !is_loopback(host_of(address));
}

std::vector<Batch> batches_within(const std::vector<Text>& texts, size_t most_texts, size_t most_size,
                                  size_t (*size_of)(const Text&)) {
    std::vector<Batch> result;
    size_t size = 0;
    for (size_t i = 0; i < texts.size(); ++i) {
        size_t text_size = size_of(texts[i]);
        if (result.empty() || result.back().count == most_texts || size + text_size > most_size) {
            result.push_back({i, 0});
            size = 0;
        }
        ++result.back().count;
        size += text_size;
    }
    return result;
}

std::vector<Text> texts_of(const std::vector<Text>& texts, const Batch& batch) {
    auto first = texts.begin() + static_cast<std::ptrdiff_t>(batch.first);
    return std::vector<Text>(first, first + static_cast<std::ptrdiff_t>(batch.count));
}

Translations translate_in_batches(const Call& call, const std::vector<Text>& texts, const std::vector<Batch>& batches,
                                  const std::function<net::HttpRequest(const std::vector<Text>&)>& request,
                                  const ReadBatch& read_batch) {
    Translations translations;
    for (const Batch& batch : batches) {
        std::vector<Text> part = texts_of(texts, batch);
        std::vector<Text> translated;
        Text failure;
        if (!read_batch(call.send(request(part)), part.size(), translated, failure)) return Translations{{}, failure};
        for (const Text& text : translated) translations.pieces.push_back(PieceTranslation{text, {}});
    }
    return translations;
}

Translations translate_one_by_one(const Call& call, const std::vector<Text>& texts,
                                  const std::function<net::HttpRequest(const Text&)>& request, const ReadOne& read_one) {
    Translations translations;
    translations.pieces.resize(texts.size());
    std::vector<Text> failures(texts.size());
    std::vector<char> read(texts.size(), 0);  // not bool: the threads write their own elements
    for_each_in_parallel(texts.size(), kRequestsInFlight, [&](size_t i) {
        read[i] = read_one(call.send(request(texts[i])), translations.pieces[i], failures[i]);
        return read[i] != 0;
    });
    for (size_t i = 0; i < texts.size(); ++i) {
        if (!read[i]) return Translations{{}, failures[i]};
    }
    return translations;
}

Translations translate_pieces(const Choice& choice, const std::vector<Text>& pieces, bool with_dictionary,
                              const Language& source, const Language& target, const net::HttpSend& send) {
    const EngineRow& engine = *choice.engine;
    std::optional<Text> source_code = engine.language_code(source.code, true);
    if (!source_code) return Translations{{}, unsupported(engine, source)};
    std::optional<Text> target_code = engine.language_code(target.code, false);
    if (!target_code) return Translations{{}, unsupported(engine, target)};
    std::vector<Text> texts;
    std::vector<Slot> slots;
    bool anything_to_send = false;
    for (const Text& piece : pieces) anything_to_send = anything_to_send || !piece.empty();
    Limit limit = anything_to_send ? engine.text_limit(choice, send) : Limit();
    for (const Text& piece : pieces) {
        Split split = split_to_fit(piece, limit);
        slots.push_back(Slot{texts.size(), split.parts.size(), split.joints});
        texts.insert(texts.end(), split.parts.begin(), split.parts.end());
    }
    std::vector<PieceTranslation> parts;
    if (!texts.empty()) {
        bool dictionary = with_dictionary && pieces.size() == 1 && texts.size() == 1;
        Translations done = engine.translate(Call{choice, *source_code, *target_code, dictionary, send, limit}, texts);
        if (!done.failure.empty()) return done;
        if (done.pieces.size() != texts.size()) {
            return Translations{{}, failure_line(engine, net::HttpReply{200, {}, 0}, Text())};
        }
        parts = std::move(done.pieces);
    }
    Translations translations;
    for (const Slot& slot : slots) translations.pieces.push_back(piece_from(slot, parts));
    return translations;
}

std::optional<runtime::Bytes> speak(const Choice& choice, const Text& text, const Text& list_code,
                                    const net::HttpSend& send) {
    const EngineRow& engine = *choice.engine;
    if (!engine.speak) return std::nullopt;
    Split split = split_to_fit(text, engine.speech_limit);
    if (split.parts.empty()) return std::nullopt;
    std::vector<runtime::Bytes> clips;
    for (const Text& part : split.parts) {
        std::optional<runtime::Bytes> clip = engine.speak(choice, part, list_code, send);
        if (!clip || clip->empty()) return std::nullopt;
        clips.push_back(std::move(*clip));
    }
    return join_mp3(clips);
}

Text speaker_of(const Choice& choice) {
    if (choice.silent) return kNoSpeech;
    return Text(choice.engine->name) + " " + choice.address + " " + choice.client;
}

Text failure_line(const EngineRow& engine, const net::HttpReply& reply, const Text& service_message,
                  const Text& what_it_means) {
    // "DeepL 返回", but "Google 网页接口返回": a space only after a Latin name.
    Text name = engine.display_name;
    if (static_cast<unsigned char>(name.back()) < 0x80) name += " ";
    Text message = one_line_message(service_message);
    if (reply.status != 0 && !net::is_success(reply.status)) {
        Text line = kTranslationFailed + name + "返回 HTTP " + runtime::to_text(reply.status);
        if (!what_it_means.empty()) line += "（" + what_it_means + "）";
        return message.empty() ? line : line + "：" + message;
    }
    if (reply.status != 0) {
        return kTranslationFailed + name + "的回复无法识别（HTTP " + runtime::to_text(reply.status) + "）";
    }
    Text code = runtime::to_text(static_cast<int>(reply.error));
    if (reply.error == net::kErrorTimeout) return kTranslationFailed + name + "没有及时回应（超时）";
    if (net::is_certificate_error(reply.error)) return kTranslationFailed + name + "的证书不受信任（错误 " + code + "）";
    return kTranslationFailed + Text("无法连接 ") + engine.display_name + "（错误 " + code + "）";
}

}  // namespace engines
