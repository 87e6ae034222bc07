// Lingva (an open front end to the classic service): GET {address}/api/v1/{source}/{target}/{text}
// with dictionary data in info.extraTranslations, and GET {address}/api/v1/audio/{lang}/{text}
// with the MP3 bytes as a JSON array of numbers. Errors are {"error": "..."}. One text a request:
// several go side by side.
#pragma once

#include <string>
#include <vector>

#include "engines/engine.h"

namespace engines::lingva {

const EngineRow& engine();

// The text of one request, before percent-encoding, so that its URL stays of a length servers take.
constexpr size_t kTextBytes = 1500;
// The audio reads the first 200 characters (as JavaScript counts them) and no more.
constexpr size_t kSpeechUnits = 200;

// Lingva's code for a language of the lists: Chinese is "zh", Traditional Chinese "zh_HANT" as a
// target; as a source Lingva knows no Traditional Chinese of its own and takes "zh".
std::optional<Text> language_code(const Text& list_code, bool as_source);

net::HttpRequest translation_request(const Choice& choice, const Text& piece, const Text& source_code,
                                     const Text& target_code);

struct Reading {
    bool ok = false;
    PieceTranslation translation;  // with the dictionary entries the reply has, when asked for
    std::string message;           // the service's error
};
Reading read_translation(const net::HttpReply& reply, bool with_dictionary);

// The part of speech in the words a Chinese user of the classic service saw: "noun" is 名词.
Text part_of_speech(const std::string& type);

net::HttpRequest speech_request(const Choice& choice, const Text& text, const Text& list_code);
std::optional<runtime::Bytes> read_speech(const net::HttpReply& reply);

}  // namespace engines::lingva
