// Lingva (an open front end to the classic service): GET {address}/api/v1/{source}/{target}/{text}
// with dictionary data in info.extraTranslations, and GET {address}/api/v1/audio/{lang}/{text}
// with the MP3 bytes as a JSON array of numbers. Errors are {"error": "..."}.
#pragma once

#include <string>
#include <vector>

#include "engines/engine.h"

namespace engines::lingva {

// The text of one request, before percent-encoding, so that its URL stays of a length servers take.
constexpr size_t kTextBytes = 1500;

// Lingva's code for a language of the lists: Chinese is "zh", Traditional Chinese "zh_HANT".
Text language_code(const Text& list_code);

net::HttpRequest translation_request(const Choice& choice, const Text& piece, const Text& source_code,
                                     const Text& target_code);

struct Reading {
    bool ok = false;
    std::string translation;  // UTF-8
    // The dictionary as the classic reply carries it: parts of speech in Chinese, each with its words.
    std::vector<std::pair<Text, std::vector<std::string>>> dictionary;
    std::string message;  // the service's error, UTF-8
};
Reading read_translation(const net::HttpReply& reply);

// The part of speech in the words a Chinese user of the classic service saw: "noun" is 名词.
Text part_of_speech(const std::string& type);

net::HttpRequest speech_request(const Choice& choice, const Text& text, const Text& list_code);
std::optional<runtime::Bytes> read_speech(const net::HttpReply& reply);

}  // namespace engines::lingva
