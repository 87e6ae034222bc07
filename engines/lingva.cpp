#include "engines/lingva.h"

#include <nlohmann/json.hpp>

#include "engines/json_text.h"
#include "net/url.h"

namespace engines::lingva {

using nlohmann::json;

namespace {

const int kLargestByte = 255;

Text path_segment(const Text& text) { return net::percent_encode_component(text); }

net::HttpRequest get(const Choice& choice, const Text& path) {
    return {"GET", choice.address + path, "Accept: application/json\r\n", {}};
}

std::string error_of(const json& body) {
    return body.is_object() && body.contains("error") && body["error"].is_string() ? body["error"].get<std::string>()
                                                                                   : std::string();
}

// The words of one part of speech, in the reply's order.
std::vector<Text> words_of(const json& entry) {
    std::vector<Text> words;
    if (!entry.is_object() || !entry.contains("list") || !entry["list"].is_array()) return words;
    for (const json& item : entry["list"]) {
        if (!item.is_object() || !item.contains("word") || !item["word"].is_string()) continue;
        Text word = item["word"].get<std::string>();
        if (!word.empty()) words.push_back(word);
    }
    return words;
}

std::optional<Dictionary> dictionary_in(const json& body) {
    if (!body.contains("info") || !body["info"].is_object() || !body["info"].contains("extraTranslations")) {
        return std::nullopt;
    }
    const json& extra = body["info"]["extraTranslations"];
    if (!extra.is_array()) return std::nullopt;
    std::vector<DictionaryEntry> entries;
    for (const json& entry : extra) {
        std::vector<Text> words = words_of(entry);
        if (words.empty() || !entry.contains("type") || !entry["type"].is_string()) continue;
        entries.push_back({part_of_speech(entry["type"].get<std::string>()), words});
    }
    if (entries.empty()) return std::nullopt;
    return dictionary_of(std::move(entries));
}

Limit text_limit(const Choice&, const net::HttpSend&) { return Limit{Measure::utf8_bytes, kTextBytes}; }

Translations translate(const Call& call, const std::vector<Text>& texts) {
    auto request = [&](const Text& text) { return translation_request(call.choice, text, call.source, call.target); };
    return translate_one_by_one(call, texts, request, [&](const net::HttpReply& reply, PieceTranslation& piece, Text& failure) {
        Reading reading = read_translation(reply, call.dictionary);
        if (!reading.ok) failure = failure_line(engine(), reply, reading.message);
        piece = reading.translation;
        return reading.ok;
    });
}

std::optional<runtime::Bytes> speak(const Choice& choice, const Text& part, const Text& list_code,
                                    const net::HttpSend& send) {
    return read_speech(send(speech_request(choice, part, list_code)));
}

Text no_address(const ServiceSettings&) { return Text(); }

}  // namespace

const EngineRow& engine() {
    static const EngineRow row{kLingva, "Lingva", no_address, false,   language_code,
                               translate, text_limit, nullptr,  speak, Limit{Measure::utf16_units, kSpeechUnits},
                               nullptr};
    return row;
}

std::optional<Text> language_code(const Text& list_code, bool as_source) {
    if (list_code == "zh-CN") return Text("zh");
    if (list_code == "zh-TW") return Text(as_source ? "zh" : "zh_HANT");
    return list_code;
}

net::HttpRequest translation_request(const Choice& choice, const Text& piece, const Text& source_code,
                                     const Text& target_code) {
    return get(choice, "/api/v1/" + path_segment(source_code) + "/" + path_segment(target_code) + "/" +
                           path_segment(piece));
}

Text part_of_speech(const std::string& type) {
    static const struct {
        const char* type;
        const char* chinese;
    } kParts[] = {
        {"noun", "名词"},
        {"verb", "动词"},
        {"adjective", "形容词"},
        {"adverb", "副词"},
        {"pronoun", "代词"},
        {"preposition", "介词"},
        {"conjunction", "连词"},
        {"interjection", "感叹词"},
        {"article", "冠词"},
        {"abbreviation", "缩写"},
        {"phrase", "短语"},
        {"prefix", "前缀"},
        {"suffix", "后缀"},
        {"numeral", "数词"},
        {"number", "数词"},
        {"particle", "助词"},
        {"auxiliary verb", "助动词"},
    };
    for (const auto& part : kParts) {
        if (type == part.type) return part.chinese;
    }
    return type;
}

Reading read_translation(const net::HttpReply& reply, bool with_dictionary) {
    Reading reading;
    json body = parse_json(reply.body);
    if (!net::is_success(reply.status)) {
        reading.message = error_of(body);
        return reading;
    }
    if (!body.is_object() || !body.contains("translation") || !body["translation"].is_string()) return reading;
    reading.translation.text = body["translation"].get<std::string>();
    if (with_dictionary) reading.translation.dictionary = dictionary_in(body);
    reading.ok = true;
    return reading;
}

net::HttpRequest speech_request(const Choice& choice, const Text& text, const Text& list_code) {
    return get(choice, "/api/v1/audio/" + path_segment(*language_code(list_code, false)) + "/" + path_segment(text));
}

std::optional<runtime::Bytes> read_speech(const net::HttpReply& reply) {
    if (!net::is_success(reply.status)) return std::nullopt;
    json body = parse_json(reply.body);
    if (!body.is_object() || !body.contains("audio") || !body["audio"].is_array() || body["audio"].empty()) {
        return std::nullopt;
    }
    runtime::Bytes audio;
    audio.reserve(body["audio"].size());
    for (const json& value : body["audio"]) {
        if (!value.is_number_integer() || value.get<long long>() < 0 || value.get<long long>() > kLargestByte) {
            return std::nullopt;
        }
        audio.push_back(static_cast<unsigned char>(value.get<long long>()));
    }
    return audio;
}

}  // namespace engines::lingva
