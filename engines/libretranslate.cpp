#include "engines/libretranslate.h"

#include <nlohmann/json.hpp>

#include "engines/json_text.h"

namespace engines::libretranslate {

using nlohmann::json;

namespace {

const char kDefaultAddress[] = "http://127.0.0.1:5000";
const int kBadRequest = 400;
const int kPayloadTooLarge = 413;

Text default_address(const ServiceSettings&) { return kDefaultAddress; }

// The numbers in brackets of a limit message, which every language of the server keeps:
// "Invalid request: request (120) exceeds text limit (100)".
std::vector<size_t> bracketed_numbers(const std::string& message) {
    std::vector<size_t> numbers;
    for (size_t open = message.find('('); open != std::string::npos; open = message.find('(', open + 1)) {
        size_t close = message.find(')', open);
        if (close == std::string::npos || close == open + 1 || close - open > 12) continue;
        std::string digits = message.substr(open + 1, close - open - 1);
        if (digits.find_first_not_of("0123456789") == std::string::npos) numbers.push_back(std::stoul(digits));
    }
    return numbers;
}

Limit text_limit(const Choice& choice, const net::HttpSend& send) {
    return Limit{Measure::characters, read_char_limit(send(settings_request(choice)))};
}

// What is known of the server's limits during one run; they only ever shrink.
struct Limits {
    size_t texts = SIZE_MAX;
    size_t characters = SIZE_MAX;
};

size_t characters_of(const Text& text) { return measure_of(text, Measure::characters); }

// As many texts from first on as the limits allow, at least one.
size_t batch_size(const std::vector<Text>& texts, size_t first, const Limits& limits) {
    size_t count = 0, characters = 0;
    for (size_t i = first; i < texts.size() && count < limits.texts; ++i, ++count) {
        characters += characters_of(texts[i]);
        if (count > 0 && characters > limits.characters) break;
    }
    return count == 0 ? 1 : count;
}

// Learns from a refusal for size, so that the next request is smaller: the server's own limits
// where it gave them, else half (a proxy's 413 gives none). False when nothing smaller can be sent.
bool shrink(Limits& limits, const Reading& reading, const std::vector<Text>& batch) {
    size_t characters = 0;
    for (const Text& text : batch) characters += characters_of(text);
    if (batch.size() > 1) {
        size_t most = batch.size() / 2;
        if (reading.limit > 0 && reading.refused_size == batch.size()) {
            most = reading.limit;
        } else if (reading.limit > 0) {
            limits.characters = std::min(limits.characters, reading.limit);
        }
        limits.texts = std::min(limits.texts, std::max<size_t>(1, std::min(most, batch.size() - 1)));
        return true;
    }
    // One text alone: it goes in parts below its own length.
    size_t most = reading.limit > 0 ? std::min(reading.limit, characters - 1) : characters / 2;
    if (characters <= 1 || most == 0) return false;
    limits.characters = std::min(limits.characters, most);
    return true;
}

Translations translate_with(const Call& call, const std::vector<Text>& texts, Limits& limits);

// A single text over a character limit learnt on the way: in parts, joined back.
std::optional<Translations> translate_in_parts(const Call& call, const Text& text, Limits& limits) {
    if (limits.characters == SIZE_MAX || characters_of(text) <= limits.characters) return std::nullopt;
    Split split = split_to_fit(text, Limit{Measure::characters, limits.characters});
    Translations parts = translate_with(call, split.parts, limits);
    if (!parts.failure.empty()) return parts;
    std::vector<Text> translated;
    for (const PieceTranslation& part : parts.pieces) translated.push_back(part.text);
    return Translations{{PieceTranslation{join_parts(translated, split.joints), std::nullopt}}, Text()};
}

Translations translate_with(const Call& call, const std::vector<Text>& texts, Limits& limits) {
    Translations translations;
    for (size_t first = 0; first < texts.size();) {
        size_t count = batch_size(texts, first, limits);
        std::vector<Text> batch(texts.begin() + static_cast<std::ptrdiff_t>(first),
                                texts.begin() + static_cast<std::ptrdiff_t>(first + count));
        if (count == 1) {
            if (std::optional<Translations> parts = translate_in_parts(call, batch[0], limits)) {
                if (!parts->failure.empty()) return *parts;
                translations.pieces.push_back(parts->pieces[0]);
                first += 1;
                continue;
            }
        }
        net::HttpReply reply = call.send(request(call.choice, batch, call.source, call.target));
        Reading reading = read(reply, batch.size());
        if (reading.ok) {
            for (const Text& text : reading.translations) translations.pieces.push_back(PieceTranslation{text, {}});
            first += count;
        } else if (!reading.too_large || !shrink(limits, reading, batch)) {
            return Translations{{}, failure_line(engine(), reply, reading.message)};
        }
    }
    return translations;
}

Translations translate(const Call& call, const std::vector<Text>& texts) {
    Limits limits;
    if (call.text_limit.most > 0) limits.characters = call.text_limit.most;
    return translate_with(call, texts, limits);
}

}  // namespace

const EngineRow& engine() {
    static const EngineRow row{kLibreTranslate, "LibreTranslate", default_address, false,   language_code,
                               translate,       text_limit,       nullptr,         nullptr, Limit{},
                               nullptr};
    return row;
}

std::optional<Text> language_code(const Text& list_code, bool) {
    if (list_code == "zh-CN") return Text("zh");
    if (list_code == "zh-TW") return Text("zt");
    return list_code;
}

net::HttpRequest settings_request(const Choice& choice) {
    return {"GET", choice.address + "/frontend/settings", "Accept: application/json\r\n", {}};
}

size_t read_char_limit(const net::HttpReply& reply) {
    if (!net::is_success(reply.status)) return 0;
    json body = parse_json(reply.body);
    if (!body.is_object() || !body.contains("charLimit") || !body["charLimit"].is_number_integer()) return 0;
    long long limit = body["charLimit"].get<long long>();
    return limit > 0 ? static_cast<size_t>(limit) : 0;
}

// The server words its errors in the language the request asks for: English, so that the numbers
// of a limit message stand where they are looked for.
net::HttpRequest request(const Choice& choice, const std::vector<Text>& texts, const Text& source, const Text& target) {
    json body;
    if (texts.size() == 1) {
        body["q"] = texts[0];
    } else {
        body["q"] = json::array();
        for (const Text& text : texts) body["q"].push_back(text);
    }
    body["source"] = source;
    body["target"] = target;
    body["format"] = "text";
    if (!choice.key.empty()) body["api_key"] = choice.key;
    std::string text = body.dump(-1, ' ', false, json::error_handler_t::replace);
    return {"POST", choice.address + "/translate",
            "Content-Type: application/json\r\nAccept: application/json\r\nAccept-Language: en\r\n",
            runtime::Bytes(text.begin(), text.end())};
}

Reading read(const net::HttpReply& reply, size_t texts_sent) {
    Reading reading;
    json body = parse_json(reply.body);
    if (!net::is_success(reply.status)) {
        if (body.is_object() && body.contains("error") && body["error"].is_string()) {
            reading.message = body["error"].get<std::string>();
        }
        std::vector<size_t> numbers = bracketed_numbers(reading.message);
        bool limit_message = reply.status == kBadRequest && numbers.size() == 2 && numbers[0] > numbers[1];
        reading.too_large = reply.status == kPayloadTooLarge || limit_message;
        if (limit_message) reading.refused_size = numbers[0], reading.limit = numbers[1];
        return reading;
    }
    if (!body.is_object() || !body.contains("translatedText")) return reading;
    const json& translated = body["translatedText"];
    if (translated.is_string() && texts_sent == 1) {
        reading.translations.push_back(translated.get<std::string>());
    } else if (translated.is_array() && translated.size() == texts_sent) {
        for (const json& item : translated) {
            if (!item.is_string()) return Reading();
            reading.translations.push_back(item.get<std::string>());
        }
    } else {
        return reading;
    }
    reading.ok = true;
    return reading;
}

}  // namespace engines::libretranslate
