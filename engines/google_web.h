// Google Translate's web endpoint, the one open-source clients use without a key:
// GET {address}/translate_a/single?client=..&sl=..&tl=..&hl=zh-CN&dt=t&dt=bd&...&q=.. answers a
// JSON array (segments of the translation, then the dictionary with its parts of speech in the hl
// language), or with dj=1 an object; GET {address}/translate_tts?..&client=..&q=.. the MP3. It is
// unofficial: Google refuses clients it takes for robots (429, its /sorry/ page, or 403), and the
// user may change the client named in the requests without a new build.
#pragma once

#include <string>
#include <vector>

#include "engines/engine.h"

namespace engines::google_web {

const EngineRow& engine();

// A request's text, before percent-encoding: at most three URL characters a byte keep the URL
// within about 2 KB, well under the 5,000 characters the endpoint takes.
constexpr size_t kTextBytes = 600;
// The speech endpoint reads at most 200 characters a request.
constexpr size_t kSpeechUnits = 200;

// The list's own codes, as the classic request has them; "auto" for the source to detect.
std::optional<Text> language_code(const Text& list_code, bool as_source);

net::HttpRequest translation_request(const Choice& choice, const Text& piece, const Text& source_code,
                                     const Text& target_code);
struct Reading {
    bool ok = false;
    PieceTranslation translation;
};
// The array form, or the object form (dj=1); the dictionary only when asked for.
Reading read_translation(const net::HttpReply& reply, bool with_dictionary);

net::HttpRequest speech_request(const Choice& choice, const Text& text, const Text& list_code);
// The MP3 of a speech reply; nothing for a refusal or a body that is no MP3.
std::optional<runtime::Bytes> read_speech(const net::HttpReply& reply);

// The one line for a refused or unreadable reply: the status, what it means, what to do.
Text refusal_line(const Choice& choice, const net::HttpReply& reply);

}  // namespace engines::google_web
