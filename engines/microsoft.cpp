#include "engines/microsoft.h"

#include <nlohmann/json.hpp>

#include "engines/json_text.h"

namespace engines::microsoft {

using nlohmann::json;

const char kAddress[] = "https://api.cognitive.microsofttranslator.com";

namespace {

const char kEnglish[] = "en";
const long kQuotaExceeded = 403001;

Text default_address(const ServiceSettings&) { return kAddress; }

Limit text_limit(const Choice&, const net::HttpSend&) { return Limit{Measure::utf16_units, kCharactersPerRequest}; }

Text headers(const Choice& choice) {
    Text lines = "Ocp-Apim-Subscription-Key: " + choice.key + "\r\n";
    if (!choice.region.empty()) lines += "Ocp-Apim-Subscription-Region: " + choice.region + "\r\n";
    return lines + "Content-Type: application/json; charset=UTF-8\r\nAccept: application/json\r\n";
}

net::HttpRequest post(const Choice& choice, const Text& path_and_query, const std::vector<Text>& texts) {
    json body = json::array();
    for (const Text& text : texts) body.push_back({{"Text", text}});
    std::string bytes = body.dump(-1, ' ', false, json::error_handler_t::replace);
    return {"POST", choice.address + path_and_query, headers(choice), runtime::Bytes(bytes.begin(), bytes.end())};
}

Text query(const Text& from, const Text& to) {
    return "?api-version=3.0" + (from.empty() ? Text() : "&from=" + from) + "&to=" + to;
}

void read_error(const json& body, Reading& reading) {
    if (!body.is_object() || !body.contains("error") || !body["error"].is_object()) return;
    const json& error = body["error"];
    if (error.contains("message") && error["message"].is_string()) reading.message = error["message"].get<std::string>();
    if (error.contains("code") && error["code"].is_number_integer()) reading.code = error["code"].get<long>();
}

// The dictionary's words for a one-word line between English and a language it pairs with;
// nothing when the lookup is refused or finds nothing, and the translation then shows alone.
std::optional<Dictionary> look_up(const Call& call, const Text& word) {
    bool with_english = call.source == kEnglish || call.target == kEnglish;
    bool pair = with_english && has_dictionary(call.source) && has_dictionary(call.target);
    if (!pair || !is_one_word(word)) return std::nullopt;
    return read_lookup(call.send(lookup_request(call.choice, word, call.source, call.target)));
}

Translations translate(const Call& call, const std::vector<Text>& texts) {
    auto request = [&](const std::vector<Text>& part) {
        return translation_request(call.choice, part, call.source, call.target);
    };
    auto read = [](const net::HttpReply& reply, size_t texts_sent, std::vector<Text>& translations, Text& failure) {
        Reading reading = read_translation(reply, texts_sent);
        if (!reading.ok) failure = failure_line(engine(), reply, reading.message, meaning_of(reply.status, reading.code));
        translations = reading.translations;
        return reading.ok;
    };
    Translations translations = translate_in_batches(call, texts, batches(texts), request, read);
    if (call.dictionary && texts.size() == 1 && translations.pieces.size() == 1) {
        translations.pieces[0].dictionary = look_up(call, texts[0]);
    }
    return translations;
}

}  // namespace

const EngineRow& engine() {
    static const EngineRow row{kMicrosoft, "Microsoft Translator", default_address, true, language_code, translate,
                               text_limit, nullptr, nullptr, Limit(), "region"};
    return row;
}

std::optional<Text> language_code(const Text& list_code, bool) {
    if (list_code == kDetectSource) return Text();
    if (list_code == "be" || list_code == "la") return std::nullopt;
    if (list_code == "zh-CN") return Text("zh-Hans");
    if (list_code == "zh-TW") return Text("zh-Hant");
    if (list_code == "tl") return Text("fil");
    return list_code;
}

bool has_dictionary(const Text& code) {
    static const char* const kPairedWithEnglish[] = {
        "en", "zh-Hans", "ja", "vi", "ko", "ar", "bg", "is", "pl", "fa", "af", "da", "de", "ru",
        "fr", "fi", "ht",      "nl", "ro", "ms", "pt", "sv", "th", "uk", "el", "es", "it", "hi"};
    for (const char* paired : kPairedWithEnglish) {
        if (code == paired) return true;
    }
    return false;
}

bool is_one_word(const Text& text) {
    if (text.empty() || measure_of(text, Measure::utf16_units) > kLookupCharacters) return false;
    return text.find_first_of(" \t\r\n") == Text::npos && text.find("\xE3\x80\x80") == Text::npos;
}

std::vector<Batch> batches(const std::vector<Text>& texts) {
    return batches_within(texts, kTextsPerRequest, kCharactersPerRequest,
                          [](const Text& text) { return measure_of(text, Measure::utf16_units); });
}

net::HttpRequest translation_request(const Choice& choice, const std::vector<Text>& texts, const Text& from,
                                     const Text& to) {
    return post(choice, "/translate" + query(from, to), texts);
}

Reading read_translation(const net::HttpReply& reply, size_t texts_sent) {
    Reading reading;
    json body = parse_json(reply.body);
    if (!net::is_success(reply.status)) {
        read_error(body, reading);
        return reading;
    }
    if (!body.is_array() || body.size() != texts_sent) return reading;
    for (const json& item : body) {
        if (!item.is_object() || !item.contains("translations") || !item["translations"].is_array() ||
            item["translations"].empty()) {
            return Reading();
        }
        const json& first = item["translations"][0];
        if (!first.is_object() || !first.contains("text") || !first["text"].is_string()) return Reading();
        reading.translations.push_back(first["text"].get<std::string>());
    }
    reading.ok = true;
    return reading;
}

net::HttpRequest lookup_request(const Choice& choice, const Text& word, const Text& from, const Text& to) {
    return post(choice, "/dictionary/lookup" + query(from, to), {word});
}

std::optional<Dictionary> read_lookup(const net::HttpReply& reply) {
    if (!net::is_success(reply.status)) return std::nullopt;
    json body = parse_json(reply.body);
    if (!body.is_array() || body.size() != 1 || !body[0].is_object() || !body[0].contains("translations") ||
        !body[0]["translations"].is_array()) {
        return std::nullopt;
    }
    std::vector<DictionaryEntry> entries;
    for (const json& item : body[0]["translations"]) {
        if (!item.is_object() || !item.contains("displayTarget") || !item["displayTarget"].is_string()) continue;
        Text word = item["displayTarget"].get<std::string>();
        if (word.empty()) continue;
        Text tag = item.contains("posTag") && item["posTag"].is_string() ? item["posTag"].get<std::string>() : "";
        Text part = part_of_speech(tag);
        auto entry = std::find_if(entries.begin(), entries.end(),
                                  [&](const DictionaryEntry& e) { return e.part_of_speech == part; });
        if (entry == entries.end()) entry = entries.insert(entries.end(), DictionaryEntry{part, {}});
        entry->words.push_back(word);
    }
    if (entries.empty()) return std::nullopt;
    return dictionary_of(std::move(entries));
}

Text part_of_speech(const Text& tag) {
    static const struct {
        const char* tag;
        const char* name;
    } kParts[] = {{"NOUN", "名词"}, {"VERB", "动词"},     {"ADJ", "形容词"}, {"ADV", "副词"}, {"CONJ", "连词"},
                  {"DET", "限定词"}, {"MODAL", "情态动词"}, {"PREP", "介词"},  {"PRON", "代词"}, {"OTHER", "其他"}};
    for (const auto& part : kParts) {
        if (tag == part.tag) return part.name;
    }
    return "其他";
}

Text meaning_of(int status, long code) {
    if (code == kQuotaExceeded) return "免费额度已用完";
    switch (status) {
        case 401: return "密钥无效，或区域资源没有填写区域";
        case 403: return "没有权限，常见原因是额度已用完";
        case 408: return "服务正在准备，请稍后再试";
        case 429: return "请求过于频繁，请稍后再试";
        case 500:
        case 503: return "服务暂时不可用，请稍后再试";
    }
    return Text();
}

}  // namespace engines::microsoft
