// LibreTranslate (self-hosted or public): POST {address}/translate with a JSON body; the reply's
// "translatedText" is a string for one text and a list for several, errors are {"error": "..."}.
#pragma once

#include <string>
#include <vector>

#include "engines/engine.h"

namespace engines::libretranslate {

extern const char kDefaultAddress[];

// LibreTranslate's code for a language of the lists: Chinese is "zh", Traditional Chinese "zt".
Text language_code(const Text& list_code);

net::HttpRequest request(const Choice& choice, const std::vector<Text>& pieces, const Text& source_code,
                         const Text& target_code);

struct Reading {
    bool ok = false;
    std::vector<std::string> translations;  // UTF-8, one per piece sent
    std::string message;                    // the service's error message, UTF-8
    bool over_limit = false;                // refused for the number or length of the texts
};
Reading read(const net::HttpReply& reply, size_t pieces_sent);

}  // namespace engines::libretranslate
