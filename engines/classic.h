// The classic endpoints: a GET of a URL each, on the hosts the settings give. The translation
// worker makes their requests a piece at a time; this engine only builds them and says when they
// were refused.
#pragma once

#include "engines/engine.h"
#include "runtime/text.h"

namespace engines {

using runtime::Text;

const EngineRow& classic_engine();

// One piece of text to translate, with the codes of the two languages.
Text translation_url(const Text& host, const Text& piece, const Text& source_code, const Text& target_code);
// A text to speak in a language.
Text speech_url(const Text& host, const Text& text, const Text& language_code);

// The line shown when the classic endpoint answered a translation with an error status, or did not
// answer: what happened, and where to choose a service that works.
Text classic_refusal(const net::HttpReply& reply);

}  // namespace engines
