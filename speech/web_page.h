// Opening a whole web page translated, in the browser (on the window's thread).
#pragma once

#include "runtime/shared_value.h"
#include "runtime/text.h"

namespace speech {

// Which host opens translated web pages; the build's setting unless a test changes it.
extern runtime::SharedText webHost;

// Opens the address translated from the language the web-page list shows (its name); an empty
// address opens the translator's start page.
void web_page_translation(const runtime::Text& address, const runtime::Text& list_name);

}  // namespace speech
