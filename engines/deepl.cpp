#include "engines/deepl.h"

#include <nlohmann/json.hpp>

#include "engines/json_text.h"

namespace engines::deepl {

using nlohmann::json;

const char kFreeAddress[] = "https://api-free.deepl.com";
const char kProAddress[] = "https://api.deepl.com";

namespace {

const char kFreeKeySuffix[] = ":fx";

Text default_address(const ServiceSettings& settings) {
    const Text& key = settings.key;
    size_t suffix = sizeof kFreeKeySuffix - 1;
    bool free = key.size() >= suffix && key.compare(key.size() - suffix, suffix, kFreeKeySuffix) == 0;
    return free ? kFreeAddress : kProAddress;
}

Limit text_limit(const Choice&, const net::HttpSend&) { return Limit{Measure::utf8_bytes, kTextBytes}; }

Translations translate(const Call& call, const std::vector<Text>& texts) {
    auto request = [&](const std::vector<Text>& part) {
        return translation_request(call.choice, part, call.source, call.target);
    };
    auto read = [](const net::HttpReply& reply, size_t texts_sent, std::vector<Text>& translations, Text& failure) {
        Reading reading = read_translation(reply, texts_sent);
        if (!reading.ok) failure = failure_line(engine(), reply, reading.message, meaning_of(reply.status));
        translations = reading.translations;
        return reading.ok;
    };
    return translate_in_batches(call, texts, batches(texts), request, read);
}

std::string message_of(const json& body) {
    if (!body.is_object() || !body.contains("message") || !body["message"].is_string()) return std::string();
    std::string message = body["message"].get<std::string>();
    if (body.contains("detail") && body["detail"].is_string()) message += ": " + body["detail"].get<std::string>();
    return message;
}

Text upper(const Text& code) { return runtime::to_upper(code); }

}  // namespace

const EngineRow& engine() {
    static const EngineRow row{kDeepL,  "DeepL",    default_address, true, language_code, translate, text_limit,
                               nullptr, nullptr, Limit(),         nullptr};
    return row;
}

// Every language of the lists is among the service's since its languages left their beta in 2026.
std::optional<Text> language_code(const Text& list_code, bool as_source) {
    if (list_code == kDetectSource) return Text();
    if (list_code == "zh-CN" || list_code == "zh-TW") {
        if (as_source) return Text("ZH");
        return Text(list_code == "zh-CN" ? "ZH-HANS" : "ZH-HANT");
    }
    // The variant-less targets EN and PT are kept only for old clients.
    if (!as_source && list_code == "en") return Text("EN-US");
    if (!as_source && list_code == "pt") return Text("PT-BR");
    return upper(list_code);
}

std::vector<Batch> batches(const std::vector<Text>& texts) {
    return batches_within(texts, kTextsPerRequest, kBodyBytes - kEnvelopeBytes,
                          [](const Text& text) { return json_string_size(text) + 1; });
}

net::HttpRequest translation_request(const Choice& choice, const std::vector<Text>& texts, const Text& source_code,
                                     const Text& target_code) {
    json body;
    body["text"] = json::array();
    for (const Text& text : texts) body["text"].push_back(text);
    body["target_lang"] = target_code;
    if (!source_code.empty()) body["source_lang"] = source_code;
    std::string bytes = body.dump(-1, ' ', false, json::error_handler_t::replace);
    Text headers = "Authorization: DeepL-Auth-Key " + choice.key +
                   "\r\nContent-Type: application/json; charset=utf-8\r\nAccept: application/json\r\n";
    return {"POST", choice.address + "/v2/translate", headers, runtime::Bytes(bytes.begin(), bytes.end())};
}

Reading read_translation(const net::HttpReply& reply, size_t texts_sent) {
    Reading reading;
    json body = parse_json(reply.body);
    if (!net::is_success(reply.status)) {
        reading.message = message_of(body);
        return reading;
    }
    if (!body.is_object() || !body.contains("translations") || !body["translations"].is_array() ||
        body["translations"].size() != texts_sent) {
        return reading;
    }
    for (const json& item : body["translations"]) {
        if (!item.is_object() || !item.contains("text") || !item["text"].is_string()) return Reading();
        reading.translations.push_back(item["text"].get<std::string>());
    }
    reading.ok = true;
    return reading;
}

Text meaning_of(int status) {
    switch (status) {
        case 403: return "密钥无效，或与地址不符：免费版密钥以 :fx 结尾，使用 api-free.deepl.com";
        case 413: return "请求过大";
        case 429:
        case 529: return "请求过于频繁，请稍后再试";
        case 456: return "本月的翻译字符额度已用完";
        case 500:
        case 503:
        case 504: return "服务暂时不可用，请稍后再试";
    }
    return Text();
}

}  // namespace engines::deepl
