// The engine chosen for translation or speech, and what every engine shares: the one-line failure
// message and the reply in the classic endpoint's own form, so that one reply cutting serves all.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engines/settings.h"
#include "net/http.h"

namespace engines {

enum class Engine { classic, libretranslate, google_cloud, lingva, none };

struct Choice {
    Engine engine = Engine::classic;
    Text address;  // without a trailing slash
    Text key;
    Text problem;  // not empty: the line to show instead of sending anything
};

Choice translation_engine(const Settings& settings);

// Whether a request to the address, as written in the settings, goes over plain HTTP to another
// computer (an address without a scheme is taken as https://, or http:// for this computer).
bool key_travels_in_clear(const Text& address);

// The source code of a request whose source language the service is to detect.
constexpr char kDetectSource[] = "auto";
// The names the [translation] and [speech] engine keys take, in the order the dialog offers them.
const std::vector<Text>& translation_engine_names();
const std::vector<Text>& speech_engine_names();
// Without a [speech] section, speech goes to the translation engine where it can speak (Lingva at
// the same address, Google Cloud with the same key), and to the classic endpoint otherwise.
Choice speech_engine(const Settings& settings);

// The name a user knows the engine by, in messages.
const char* display_name(Engine engine);

// The line shown in place of a result when a request was refused or got no usable reply. The
// service's own message, when it sent one, is given in UTF-8 as it came.
Text failure_line(Engine engine, const net::HttpReply& reply, const Text& service_message_utf8);

// What the classic endpoint sends for a piece whose translation is the given UTF-8 text, in the
// decoded form that the reply cutting reads. The source code is the one the lists gave.
Text classic_reply(const Text& translation_utf8, const Text& source_code);
// The same with dictionary entries: each a part of speech (GBK) and its words (UTF-8).
using Dictionary = std::vector<std::pair<Text, std::vector<std::string>>>;
Text classic_reply(const Text& translation_utf8, const Dictionary& dictionary, const Text& source_code);

// The translations of the pieces, each as a classic reply, or the failure line.
struct Replies {
    std::vector<Text> replies;
    Text failure;
};
Replies translate_pieces(const Choice& choice, const std::vector<Text>& pieces, const Text& source_code,
                         const Text& target_code, const net::HttpSend& send);

// The MP3 rendering of the text in the language of the lists, from a speech engine other than the
// classic one; nothing when the service refused or sent something else.
std::optional<runtime::Bytes> speak(const Choice& choice, const Text& text, const Text& list_code,
                                    const net::HttpSend& send);

}  // namespace engines
