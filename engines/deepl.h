// DeepL API v2: JSON over HTTPS, the key in "Authorization: DeepL-Auth-Key" (never in a body or a
// query, which the service no longer takes). Errors are {"message": ...}, often with no body at all.
#pragma once

#include <vector>

#include "engines/engine.h"

namespace engines::deepl {

const EngineRow& engine();
// Keys of the free plan end in ":fx" and belong to the free plan's host.
extern const char kFreeAddress[];
extern const char kProAddress[];

// What one request may carry: 50 texts and a body of 128 KiB. A text is kept to what fits in a
// body even if every byte of it were escaped.
constexpr size_t kTextsPerRequest = 50;
constexpr size_t kBodyBytes = 128 * 1024;
constexpr size_t kEnvelopeBytes = 200;
constexpr size_t kTextBytes = (kBodyBytes - kEnvelopeBytes) / 6;

// The service's code for a language of the lists: sources are base codes ("ZH"), targets name
// the variant ("ZH-HANS", "EN-US", "PT-BR"); the source to detect is empty, and not sent.
std::optional<Text> language_code(const Text& list_code, bool as_source);

std::vector<Batch> batches(const std::vector<Text>& texts);
net::HttpRequest translation_request(const Choice& choice, const std::vector<Text>& texts, const Text& source_code,
                                     const Text& target_code);

struct Reading {
    bool ok = false;
    std::vector<Text> translations;
    std::string message;  // the service's message (and its detail), when it sent one
};
Reading read_translation(const net::HttpReply& reply, size_t texts_sent);
// What a refusal's status means, in the user's words; empty when the service's message says it.
Text meaning_of(int status);

}  // namespace engines::deepl
