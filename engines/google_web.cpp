#include "engines/google_web.h"

#include <nlohmann/json.hpp>

#include "engines/json_text.h"
#include "engines/mp3.h"
#include "net/url.h"

namespace engines::google_web {

using nlohmann::json;

namespace {

const char kAddress[] = "https://translate.googleapis.com";
const char kDefaultClient[] = "dict-chrome-ex";
// The endpoint answers browsers; a current one's name is what its users send.
const char kUserAgent[] =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/142.0.0.0 "
    "Safari/537.36";

const char kWhatToDo[] = "请稍后再试，或在 tarvik.ini 中换一个 client，或在服务设置中选择其他服务";

Text default_address(const ServiceSettings&) { return kAddress; }

Limit text_limit(const Choice&, const net::HttpSend&) { return Limit{Measure::utf8_bytes, kTextBytes}; }

Text client_of(const Choice& choice) { return choice.client.empty() ? Text(kDefaultClient) : choice.client; }

net::HttpRequest get(const Choice& choice, const Text& path_and_query) {
    return {"GET", choice.address + path_and_query, "User-Agent: " + Text(kUserAgent) + "\r\n", {}};
}

Text component(const Text& text) { return net::percent_encode_component(text); }

Translations translate(const Call& call, const std::vector<Text>& texts) {
    auto request = [&](const Text& text) { return translation_request(call.choice, text, call.source, call.target); };
    return translate_one_by_one(call, texts, request, [&](const net::HttpReply& reply, PieceTranslation& piece, Text& failure) {
        Reading reading = read_translation(reply, call.dictionary);
        if (!reading.ok) failure = refusal_line(call.choice, reply);
        piece = reading.translation;
        return reading.ok;
    });
}

std::optional<runtime::Bytes> speak(const Choice& choice, const Text& part, const Text& list_code,
                                    const net::HttpSend& send) {
    return read_speech(send(speech_request(choice, part, list_code)));
}

bool is_text(const json& value) { return value.is_string(); }

// [[word list], ...]: the words of one entry, the empty ones left out.
std::vector<Text> words_in(const json& list) {
    std::vector<Text> words;
    if (!list.is_array()) return words;
    for (const json& word : list) {
        if (is_text(word) && !word.get<std::string>().empty()) words.push_back(word.get<std::string>());
    }
    return words;
}

std::optional<Dictionary> dictionary_of_entries(const std::vector<DictionaryEntry>& entries) {
    if (entries.empty()) return std::nullopt;
    return dictionary_of(entries);
}

// The array form: [[[translation, original, ...], ...segments], [[part of speech, [words], ...], ...], ...].
std::optional<Reading> read_array(const json& body, bool with_dictionary) {
    if (!body.is_array() || body.empty() || !(body[0].is_array() || body[0].is_null())) return std::nullopt;
    Reading reading;
    if (body[0].is_array()) {
        for (const json& segment : body[0]) {
            if (!segment.is_array()) return std::nullopt;
            // Segments without a translation carry a transliteration.
            if (!segment.empty() && is_text(segment[0])) reading.translation.text += segment[0].get<std::string>();
        }
    }
    if (with_dictionary && body.size() > 1 && body[1].is_array()) {
        std::vector<DictionaryEntry> entries;
        for (const json& entry : body[1]) {
            if (!entry.is_array() || entry.size() < 2 || !is_text(entry[0])) continue;
            std::vector<Text> words = words_in(entry[1]);
            if (!words.empty()) entries.push_back({entry[0].get<std::string>(), words});
        }
        reading.translation.dictionary = dictionary_of_entries(entries);
    }
    reading.ok = true;
    return reading;
}

// The object form (dj=1): {"sentences": [{"trans", ...}], "dict": [{"pos", "terms"}], ...}.
std::optional<Reading> read_object(const json& body, bool with_dictionary) {
    if (!body.is_object() || !body.contains("sentences") || !body["sentences"].is_array()) return std::nullopt;
    Reading reading;
    for (const json& sentence : body["sentences"]) {
        if (!sentence.is_object()) return std::nullopt;
        if (sentence.contains("trans") && is_text(sentence["trans"])) {
            reading.translation.text += sentence["trans"].get<std::string>();
        }
    }
    if (with_dictionary && body.contains("dict") && body["dict"].is_array()) {
        std::vector<DictionaryEntry> entries;
        for (const json& entry : body["dict"]) {
            if (!entry.is_object() || !entry.contains("pos") || !is_text(entry["pos"]) || !entry.contains("terms")) {
                continue;
            }
            std::vector<Text> words = words_in(entry["terms"]);
            if (!words.empty()) entries.push_back({entry["pos"].get<std::string>(), words});
        }
        reading.translation.dictionary = dictionary_of_entries(entries);
    }
    reading.ok = true;
    return reading;
}

}  // namespace

const EngineRow& engine() {
    static const EngineRow row{kGoogleWeb, "Google 网页接口", default_address, false, language_code,
                               translate,  text_limit,        nullptr,         speak, Limit{Measure::utf16_units, kSpeechUnits},
                               "client"};
    return row;
}

std::optional<Text> language_code(const Text& list_code, bool) { return list_code; }

net::HttpRequest translation_request(const Choice& choice, const Text& piece, const Text& source_code,
                                     const Text& target_code) {
    return get(choice, "/translate_a/single?client=" + component(client_of(choice)) + "&sl=" + component(source_code) +
                           "&tl=" + component(target_code) + "&hl=zh-CN&dt=t&dt=bd&ie=UTF-8&oe=UTF-8&q=" +
                           component(piece));
}

Reading read_translation(const net::HttpReply& reply, bool with_dictionary) {
    if (reply.status != 200) return Reading();
    json body = parse_json(reply.body);
    if (std::optional<Reading> array = read_array(body, with_dictionary)) return *array;
    if (std::optional<Reading> object = read_object(body, with_dictionary)) return *object;
    return Reading();
}

net::HttpRequest speech_request(const Choice& choice, const Text& text, const Text& list_code) {
    return get(choice, "/translate_tts?ie=UTF-8&client=" + component(client_of(choice)) + "&tl=" +
                           component(list_code) + "&q=" + component(text));
}

std::optional<runtime::Bytes> read_speech(const net::HttpReply& reply) {
    if (reply.status != 200 || !starts_as_mp3(reply.body)) return std::nullopt;
    return reply.body;
}

Text refusal_line(const Choice& choice, const net::HttpReply& reply) {
    const EngineRow& web = engine();
    switch (reply.status) {
        case 0: return failure_line(web, reply, Text());
        case 200: return failure_line(web, reply, Text()) + "：Google 可能改变了这个接口，请在服务设置中选择其他服务";
        case 429: return failure_line(web, reply, kWhatToDo, "请求过多，Google 暂时拒绝了本机的请求");
        case 403:
            return failure_line(web, reply, kWhatToDo, "Google 不接受 client=" + client_of(choice) + " 的请求");
    }
    if (reply.status >= 300 && reply.status < 400) {
        return failure_line(web, reply, kWhatToDo, "Google 把请求转到了验证页面，它暂时把本机当作了机器人");
    }
    return failure_line(web, reply, kWhatToDo);
}

}  // namespace engines::google_web
