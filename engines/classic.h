// The classic endpoints' requests: a GET of a URL each, on the hosts the settings give.
#pragma once

#include "runtime/text.h"

namespace engines {

using runtime::Text;

// One piece of text to translate, with the codes of the two languages.
Text translation_url(const Text& host, const Text& piece, const Text& source_code, const Text& target_code);
// A text to speak in a language.
Text speech_url(const Text& host, const Text& text, const Text& language_code);

}  // namespace engines
