// Microsoft Translator v3: JSON over HTTPS, the key in Ocp-Apim-Subscription-Key and, for a regional
// resource, its region in Ocp-Apim-Subscription-Region. Errors are {"error": {"code", "message"}},
// the code being the HTTP status followed by three digits. For one word the dictionary lookup gives
// the parts of speech the classic service showed.
#pragma once

#include <vector>

#include "engines/engine.h"

namespace engines::microsoft {

const EngineRow& engine();
extern const char kAddress[];

// What one request may carry: 1,000 texts and 50,000 characters in all (counted here in UTF-16
// units, which are never fewer than characters). A lookup takes a word of at most 100 characters.
constexpr size_t kTextsPerRequest = 1000;
constexpr size_t kCharactersPerRequest = 50000;
constexpr size_t kLookupCharacters = 100;

// zh-Hans, zh-Hant, fil; nothing for Belarusian and Latin, which the service does not translate.
std::optional<Text> language_code(const Text& list_code, bool as_source);
// Whether the dictionary pairs the language with English (Traditional Chinese, for one, it does not).
bool has_dictionary(const Text& code);
// A single line the dictionary may know: one word, no spaces, within the lookup's length.
bool is_one_word(const Text& text);

std::vector<Batch> batches(const std::vector<Text>& texts);
net::HttpRequest translation_request(const Choice& choice, const std::vector<Text>& texts, const Text& from,
                                     const Text& to);
struct Reading {
    bool ok = false;
    std::vector<Text> translations;
    std::string message;
    long code = 0;  // the six-digit error code
};
Reading read_translation(const net::HttpReply& reply, size_t texts_sent);

net::HttpRequest lookup_request(const Choice& choice, const Text& word, const Text& from, const Text& to);
// The translations grouped by part of speech, in the order each first appears, the words in the
// reply's order; nothing when the reply is not the documented form or knows no translation.
std::optional<Dictionary> read_lookup(const net::HttpReply& reply);
// 名词 for NOUN, and so on; a tag the documentation does not name counts as OTHER.
Text part_of_speech(const Text& tag);

// What a refusal means, by its status and error code; empty when the service's message says it.
Text meaning_of(int status, long code);

}  // namespace engines::microsoft
