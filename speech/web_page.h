// Opening a whole web page translated, in the browser (on the window's thread).
#pragma once

#include "runtime/text.h"

namespace speech {

// Opens the address translated by the web-page translator at that host, from the language the
// web-page list shows (its name); an empty address opens the translator's start page.
void web_page_translation(const runtime::Text& host, const runtime::Text& address, const runtime::Text& list_name);

}  // namespace speech
