// The translation worker and what it shares with the speech and web-page routines: the three
// language codes, their lookups from the language lists, and the automatic recognition.
#pragma once

#include "runtime/text.h"
#include "translate/shared_text.h"

namespace translate {

using runtime::Text;

// Empty at start; set only by the lookups below.
extern SharedText sourceLanguageCode;
extern SharedText targetLanguageCode;
extern SharedText webPageLanguageCode;
// Where translation requests go (host and optional port); the build's setting unless a test changes it.
extern SharedText translateHost;

// Each reads its list's current item; a name that is no language leaves the code as it was.
void source_lookup();
void target_lookup();
void web_page_source_lookup();

// Picks the language pair from the first byte of the source box (callers test 选择框1 first).
void automatic_recognition();

// One request for a piece of text: the display text with or without the dictionary lines.
Text translation_call(const Text& piece, bool with_dictionary);

// Runs on its own thread, raised flag to lowered flag: reads the source box, writes the result box.
void translation_worker();
// The translate command: starts the worker unless one is running.
void translate_command();

}  // namespace translate
