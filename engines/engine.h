// The translation and speech services as rows of one table, the engine the settings choose, and
// what every engine shares: the pieces it is handed, its one-line failure message, texts cut to
// its limits and joined back.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "engines/settings.h"
#include "engines/text_split.h"
#include "engines/translation.h"
#include "net/http.h"

namespace engines {

struct Choice;

// A language of the lists: its code there and its Chinese name, for messages.
struct Language {
    Text code;
    Text name;
};

// The source code of a request whose source language the service is to detect.
constexpr char kDetectSource[] = "auto";

// One translation run as an engine is asked it: codes in the engine's own spelling (the source
// empty when the service is to detect it), and whether dictionary entries are wanted (a single
// line, as the classic service gave them).
struct Call {
    const Choice& choice;
    Text source;
    Text target;
    bool dictionary;
    const net::HttpSend& send;
    Limit text_limit;  // as text_limit gave it for this run
};

struct Translations {
    std::vector<PieceTranslation> pieces;  // one per text, in order
    Text failure;                          // not empty: the one line to show instead
};

struct EngineRow {
    const char* name;          // in tarvik.ini
    const char* display_name;  // in messages
    // The address when the settings give none (it may depend on the key); empty: one must be given.
    Text (*default_address)(const ServiceSettings& settings);
    bool needs_key;
    // The engine's code for a language of the lists (or kDetectSource), as a source or a target;
    // nothing when the service does not offer the language.
    std::optional<Text> (*language_code)(const Text& list_code, bool as_source);
    // Translates texts (none empty, none over text_limit) in as few requests as the service
    // allows. Null for the classic endpoint, whose requests the translation worker makes a piece
    // at a time.
    Translations (*translate)(const Call& call, const std::vector<Text>& texts);
    // The most one text of a request may hold, as the service at the choice's address tells it or
    // as it is documented.
    Limit (*text_limit)(const Choice& choice, const net::HttpSend& send);
    // The default address of its speech service; null: the translation address.
    const char* speech_address;
    // The MP3 of one part of a text (none over speech_limit) in a language of the lists; nothing
    // when the service refused. Null: the engine has no speech of its own.
    std::optional<runtime::Bytes> (*speak)(const Choice& choice, const Text& part, const Text& list_code,
                                           const net::HttpSend& send);
    Limit speech_limit;
    // A setting of the engine's own beside address and key ("region", "client"), or null.
    const char* extra_setting;
};

// Every engine, in the order the dialog offers them: the classic endpoint, the key-less ones, those
// with a key.
const std::vector<const EngineRow*>& engine_table();
const EngineRow& classic_engine();

struct Choice {
    const EngineRow* engine = &classic_engine();
    Text address;  // without a trailing slash
    Text key;
    Text region;
    Text client;
    bool silent = false;  // speech: none at all
    Text problem;         // not empty: the line to show instead of sending anything
};

Choice translation_engine(const Settings& settings);
// Without a [speech] section, speech goes to the translation engine where it can speak, and to the
// classic endpoint otherwise.
Choice speech_engine(const Settings& settings);
// The names the [translation] and [speech] engine keys take, in the order the dialog offers them.
std::vector<Text> translation_engine_names();
std::vector<Text> speech_engine_names();
// The settings the dialog shows for an engine: its region (Microsoft) or its client (google-web).
const char* extra_setting_of(const Text& engine_name);

// Whether a request to the address, as written in the settings, goes over plain HTTP to another
// computer (an address without a scheme is taken as https://, or http:// for this computer).
bool key_travels_in_clear(const Text& address);

// Texts next to each other sent in one request.
struct Batch {
    size_t first;
    size_t count;
};
// The texts in order, in as few batches as a service's limits allow: at most most_texts a batch,
// their sizes (as size_of counts them) adding up to at most most_size; a text larger than that
// goes alone.
std::vector<Batch> batches_within(const std::vector<Text>& texts, size_t most_texts, size_t most_size,
                                  size_t (*size_of)(const Text&));
std::vector<Text> texts_of(const std::vector<Text>& texts, const Batch& batch);

// For services that take many texts a request: the batches go one after another. read_batch fills
// in the batch's translations, one per text sent, or the line to tell and false.
using ReadBatch = std::function<bool(const net::HttpReply&, size_t texts_sent, std::vector<Text>& translations,
                                     Text& failure)>;
Translations translate_in_batches(const Call& call, const std::vector<Text>& texts, const std::vector<Batch>& batches,
                                  const std::function<net::HttpRequest(const std::vector<Text>&)>& request,
                                  const ReadBatch& read_batch);

// For services that take one text a request: the requests go a few side by side. read_one fills
// in the piece, or the line to tell and false; the first refusal in the texts' order is the one told.
using ReadOne = std::function<bool(const net::HttpReply&, PieceTranslation& piece, Text& failure)>;
Translations translate_one_by_one(const Call& call, const std::vector<Text>& texts,
                                  const std::function<net::HttpRequest(const Text&)>& request, const ReadOne& read_one);

// The translations of the pieces by an engine with a translate function: empty pieces are not
// sent and translate to nothing, pieces over the engine's limit go in parts and come back joined.
// Dictionary entries are asked for when there is one piece and with_dictionary says so.
Translations translate_pieces(const Choice& choice, const std::vector<Text>& pieces, bool with_dictionary,
                              const Language& source, const Language& target, const net::HttpSend& send);

// The MP3 rendering of the text, in parts within the engine's limit joined into one clip; nothing
// when the service refused any part or sent something else.
std::optional<runtime::Bytes> speak(const Choice& choice, const Text& text, const Text& list_code,
                                    const net::HttpSend& send);

// What a speech file was made by: the engine and its address, so that a file of another engine is
// not played again for the same text.
Text speaker_of(const Choice& choice);

// The line shown in place of a result when a request was refused or got no usable reply. The
// service's own message, when it sent one, follows; what_it_means, when given, explains a status.
Text failure_line(const EngineRow& engine, const net::HttpReply& reply, const Text& service_message,
                  const Text& what_it_means = Text());
constexpr char kTranslationFailed[] = "翻译失败：";

}  // namespace engines
