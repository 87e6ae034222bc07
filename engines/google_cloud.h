// Google Cloud Translation v2 and Text-to-Speech v1: JSON over HTTPS, the key in the
// X-Goog-Api-Key header. Errors come in Google's envelope {"error": {"code", "message", "status"}}.
#pragma once

#include <string>
#include <vector>

#include "engines/engine.h"

namespace engines::google_cloud {

const EngineRow& engine();
extern const char kTranslationAddress[];
extern const char kSpeechAddress[];

// What one request may carry, as the service documents it: 128 texts, and a body well inside its
// 204,800-byte limit; a text larger than a whole request goes in parts.
constexpr size_t kTextsPerRequest = 128;
constexpr size_t kBodyBytes = 200000;
constexpr size_t kTextBytes = 100000;
// Text-to-Speech takes at most 5,000 bytes of text.
constexpr size_t kSpeechTextBytes = 5000;

// The pieces in as few requests as the limits allow, each batch a range of the pieces in order.
std::vector<Batch> batches(const std::vector<Text>& pieces);

// The source code empty: the service detects the language.
net::HttpRequest translation_request(const Choice& choice, const std::vector<Text>& pieces, const Text& source_code,
                                     const Text& target_code);

struct Reading {
    bool ok = false;
    std::vector<Text> translations;
    std::string message;  // the envelope's message
};
Reading read_translation(const net::HttpReply& reply, size_t pieces_sent);

// The voice's language for a language of the lists, such as "cmn-CN" for Chinese.
Text voice_language(const Text& list_code);
net::HttpRequest speech_request(const Choice& choice, const Text& text, const Text& list_code);
// The MP3 bytes of a synthesis reply; nothing when the reply is an error or not the documented form.
std::optional<runtime::Bytes> read_speech(const net::HttpReply& reply);

}  // namespace engines::google_cloud
