#include "engines/google_cloud.h"

#include <nlohmann/json.hpp>

#include "engines/json_text.h"

namespace engines::google_cloud {

using nlohmann::json;

const char kTranslationAddress[] = "https://translation.googleapis.com";
const char kSpeechAddress[] = "https://texttospeech.googleapis.com";

namespace {

Text default_address(const ServiceSettings&) { return kTranslationAddress; }

Limit text_limit(const Choice&, const net::HttpSend&) { return Limit{Measure::utf8_bytes, kTextBytes}; }

// The service has every language of the lists, and detects the source when none is given.
std::optional<Text> language_code(const Text& list_code, bool) {
    return list_code == kDetectSource ? Text() : list_code;
}

Translations translate(const Call& call, const std::vector<Text>& texts) {
    auto request = [&](const std::vector<Text>& part) {
        return translation_request(call.choice, part, call.source, call.target);
    };
    auto read = [](const net::HttpReply& reply, size_t texts_sent, std::vector<Text>& translations, Text& failure) {
        Reading reading = read_translation(reply, texts_sent);
        if (!reading.ok) failure = failure_line(engine(), reply, reading.message);
        translations = reading.translations;
        return reading.ok;
    };
    return translate_in_batches(call, texts, batches(texts), request, read);
}

std::optional<runtime::Bytes> speak(const Choice& choice, const Text& part, const Text& list_code,
                                    const net::HttpSend& send) {
    return read_speech(send(speech_request(choice, part, list_code)));
}

Text headers(const Choice& choice) {
    return "Content-Type: application/json; charset=utf-8\r\nAccept: application/json\r\nX-Goog-Api-Key: " +
           choice.key + "\r\n";
}

net::HttpRequest post(const Choice& choice, const Text& path, const json& body) {
    std::string text = body.dump(-1, ' ', false, json::error_handler_t::replace);
    return {"POST", choice.address + path, headers(choice), runtime::Bytes(text.begin(), text.end())};
}

// JSON escapes can take a byte of text to six ("\u001f"); a batch is closed before it could
// pass the body's limit, whatever its texts hold.
size_t worst_encoded_size(const Text& piece) { return piece.size() * 6 + 4; }

const size_t kEnvelopeBytes = 200;

}  // namespace

const EngineRow& engine() {
    static const EngineRow row{kGoogleCloud, "Google Cloud", default_address, true,
                               language_code, translate,    text_limit,      kSpeechAddress,
                               speak,         Limit{Measure::utf8_bytes, kSpeechTextBytes}, nullptr};
    return row;
}

std::vector<Batch> batches(const std::vector<Text>& pieces) {
    return batches_within(pieces, kTextsPerRequest, kBodyBytes - kEnvelopeBytes, worst_encoded_size);
}

net::HttpRequest translation_request(const Choice& choice, const std::vector<Text>& pieces, const Text& source_code,
                                     const Text& target_code) {
    json body;
    body["q"] = json::array();
    for (const Text& piece : pieces) body["q"].push_back(piece);
    if (!source_code.empty()) body["source"] = source_code;
    body["target"] = target_code;
    body["format"] = "text";
    return post(choice, "/language/translate/v2", body);
}

Reading read_translation(const net::HttpReply& reply, size_t pieces_sent) {
    Reading reading;
    json body = parse_json(reply.body);
    if (!net::is_success(reply.status)) {
        if (body.is_object() && body["error"].is_object() && body["error"]["message"].is_string()) {
            reading.message = body["error"]["message"].get<std::string>();
        }
        return reading;
    }
    if (!body.is_object() || !body["data"].is_object()) return reading;
    const json& translations = body["data"]["translations"];
    if (!translations.is_array() || translations.size() != pieces_sent) return reading;
    for (const json& item : translations) {
        if (!item.is_object() || !item.contains("translatedText") || !item["translatedText"].is_string()) {
            return Reading();
        }
        reading.translations.push_back(item["translatedText"].get<std::string>());
    }
    reading.ok = true;
    return reading;
}

// Languages without a voice of their own here go as they are; the service then says it has none.
Text voice_language(const Text& list_code) {
    static const struct {
        const char* list_code;
        const char* voice;
    } kVoices[] = {
        {"zh-CN", "cmn-CN"}, {"zh-TW", "cmn-TW"}, {"en", "en-US"},  {"ja", "ja-JP"}, {"ko", "ko-KR"}, {"vi", "vi-VN"},
        {"ar", "ar-XA"},     {"bg", "bg-BG"},     {"is", "is-IS"},  {"pl", "pl-PL"}, {"da", "da-DK"}, {"de", "de-DE"},
        {"ru", "ru-RU"},     {"fr", "fr-FR"},     {"tl", "fil-PH"}, {"fi", "fi-FI"}, {"gu", "gu-IN"}, {"nl", "nl-NL"},
        {"ro", "ro-RO"},     {"ms", "ms-MY"},     {"pt", "pt-PT"},  {"sv", "sv-SE"}, {"th", "th-TH"}, {"uk", "uk-UA"},
        {"el", "el-GR"},     {"es", "es-ES"},     {"it", "it-IT"},  {"hi", "hi-IN"}, {"af", "af-ZA"},
    };
    for (const auto& voice : kVoices) {
        if (list_code == voice.list_code) return voice.voice;
    }
    return list_code;
}

net::HttpRequest speech_request(const Choice& choice, const Text& text, const Text& list_code) {
    json body;
    body["input"]["text"] = cut_utf8(text, kSpeechTextBytes);
    body["voice"]["languageCode"] = voice_language(list_code);
    body["audioConfig"]["audioEncoding"] = "MP3";
    return post(choice, "/v1/text:synthesize", body);
}

std::optional<runtime::Bytes> read_speech(const net::HttpReply& reply) {
    if (!net::is_success(reply.status)) return std::nullopt;
    json body = parse_json(reply.body);
    if (!body.is_object() || !body.contains("audioContent") || !body["audioContent"].is_string()) {
        return std::nullopt;
    }
    std::optional<runtime::Bytes> audio = decode_base64(body["audioContent"].get<std::string>());
    if (audio && audio->empty()) return std::nullopt;
    return audio;
}

}  // namespace engines::google_cloud
