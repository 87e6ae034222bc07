#include "engines/libretranslate.h"

#include <nlohmann/json.hpp>

#include "engines/json_text.h"

namespace engines::libretranslate {

using nlohmann::json;

const char kDefaultAddress[] = "http://127.0.0.1:5000";

namespace {

// How a server says that a batch holds too many texts or characters.
const char kLimitWords[] = "exceeds text limit";
const int kBadRequest = 400;

}  // namespace

Text language_code(const Text& list_code) {
    if (list_code == "zh-CN") return "zh";
    if (list_code == "zh-TW") return "zt";
    return list_code;
}

net::HttpRequest request(const Choice& choice, const std::vector<Text>& pieces, const Text& source_code,
                         const Text& target_code) {
    json body;
    if (pieces.size() == 1) {
        body["q"] = pieces[0];
    } else {
        body["q"] = json::array();
        for (const Text& piece : pieces) body["q"].push_back(piece);
    }
    body["source"] = language_code(source_code);
    body["target"] = language_code(target_code);
    body["format"] = "text";
    if (!choice.key.empty()) body["api_key"] = choice.key;
    std::string text = body.dump(-1, ' ', false, json::error_handler_t::replace);
    return {"POST", choice.address + "/translate", "Content-Type: application/json\r\nAccept: application/json\r\n",
            runtime::Bytes(text.begin(), text.end())};
}

Reading read(const net::HttpReply& reply, size_t pieces_sent) {
    Reading reading;
    json body = parse_json(reply.body);
    if (!net::is_success(reply.status)) {
        if (body.is_object() && body.contains("error") && body["error"].is_string()) {
            reading.message = body["error"].get<std::string>();
        }
        reading.over_limit = reply.status == kBadRequest && reading.message.find(kLimitWords) != std::string::npos;
        return reading;
    }
    if (!body.is_object() || !body.contains("translatedText")) return reading;
    const json& translated = body["translatedText"];
    if (translated.is_string() && pieces_sent == 1) {
        reading.translations.push_back(translated.get<std::string>());
    } else if (translated.is_array() && translated.size() == pieces_sent) {
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
