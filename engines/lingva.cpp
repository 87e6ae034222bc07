#include "engines/lingva.h"

#include <cctype>
#include <nlohmann/json.hpp>

#include "engines/json_text.h"

namespace engines::lingva {

using nlohmann::json;

namespace {

const int kLargestByte = 255;

// One path segment: unreserved characters as they are, every other byte of the UTF-8 as %XX.
Text path_segment(const std::string& utf8) {
    static const char kHex[] = "0123456789ABCDEF";
    Text encoded;
    for (unsigned char byte : utf8) {
        if (std::isalnum(byte) || byte == '-' || byte == '.' || byte == '_' || byte == '~') {
            encoded += static_cast<char>(byte);
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0xF];
        }
    }
    return encoded;
}

Text segment_of_text(const Text& text) { return path_segment(cut_utf8(text, kTextBytes)); }

net::HttpRequest get(const Choice& choice, const Text& path) {
    return {"GET", choice.address + path, "Accept: application/json\r\n", {}};
}

std::string error_of(const json& body) {
    return body.is_object() && body.contains("error") && body["error"].is_string() ? body["error"].get<std::string>()
                                                                                   : std::string();
}

// The words of one part of speech; a word that holds the classic reply's own marks would cut it
// wrongly, so those marks are left out of it.
std::vector<std::string> words_of(const json& entry) {
    std::vector<std::string> words;
    if (!entry.is_object() || !entry.contains("list") || !entry["list"].is_array()) return words;
    for (const json& item : entry["list"]) {
        if (!item.is_object() || !item.contains("word") || !item["word"].is_string()) continue;
        std::string word;
        for (char c : item["word"].get<std::string>()) {
            if (c != '"' && c != ',' && c != '[' && c != ']') word += c;
        }
        if (!word.empty()) words.push_back(word);
    }
    return words;
}

}  // namespace

Text language_code(const Text& list_code) {
    if (list_code == "zh-CN") return "zh";
    if (list_code == "zh-TW") return "zh_HANT";
    return list_code;
}

net::HttpRequest translation_request(const Choice& choice, const Text& piece, const Text& source_code,
                                     const Text& target_code) {
    return get(choice, "/api/v1/" + path_segment(language_code(source_code)) + "/" +
                           path_segment(language_code(target_code)) + "/" + segment_of_text(piece));
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

Reading read_translation(const net::HttpReply& reply) {
    Reading reading;
    json body = parse_json(reply.body);
    if (!net::is_success(reply.status)) {
        reading.message = error_of(body);
        return reading;
    }
    if (!body.is_object() || !body.contains("translation") || !body["translation"].is_string()) return reading;
    reading.translation = body["translation"].get<std::string>();
    reading.ok = true;
    if (!body.contains("info") || !body["info"].is_object()) return reading;
    const json& extra = body["info"]["extraTranslations"];
    if (!extra.is_array()) return reading;
    for (const json& entry : extra) {
        std::vector<std::string> words = words_of(entry);
        if (words.empty() || !entry.contains("type") || !entry["type"].is_string()) continue;
        reading.dictionary.push_back({part_of_speech(entry["type"].get<std::string>()), words});
    }
    return reading;
}

net::HttpRequest speech_request(const Choice& choice, const Text& text, const Text& list_code) {
    return get(choice, "/api/v1/audio/" + path_segment(language_code(list_code)) + "/" + segment_of_text(text));
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
