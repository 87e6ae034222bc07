// LibreTranslate (self-hosted or public): POST {address}/translate with a JSON body; the reply's
// "translatedText" is a string for one text and a list for several, errors are {"error": "..."}.
// The server tells its character limit at GET {address}/frontend/settings; a batch over its text
// or character limit is refused with both numbers in the message, and a proxy in front of it may
// refuse a large body with 413.
#pragma once

#include <string>
#include <vector>

#include "engines/engine.h"

namespace engines::libretranslate {

const EngineRow& engine();

// LibreTranslate's code for a language of the lists: Chinese is "zh", Traditional Chinese "zt".
std::optional<Text> language_code(const Text& list_code, bool as_source);

net::HttpRequest settings_request(const Choice& choice);
// The server's character limit a request; 0 when it has none or does not say.
size_t read_char_limit(const net::HttpReply& reply);

net::HttpRequest request(const Choice& choice, const std::vector<Text>& texts, const Text& source, const Text& target);

struct Reading {
    bool ok = false;
    std::vector<Text> translations;  // one per text sent
    std::string message;             // the service's error message
    // Refused for its size: by the server's limits (with the limit it gave, 0 when it gave none) or
    // by a proxy (413).
    bool too_large = false;
    size_t limit = 0;
    size_t refused_size = 0;  // the size the server counted: the number of texts, or of characters
};
Reading read(const net::HttpReply& reply, size_t texts_sent);

}  // namespace engines::libretranslate
