// The languages the user picks by their Chinese names, and the service's codes for them.
#pragma once

#include <vector>

#include "runtime/shared_value.h"
#include "runtime/text.h"

namespace translate {

using runtime::Text;

struct Language {
    const char* name;  // display name, GBK
    const char* code;  // the service's language code
    int list_index;    // position in the three language lists, -1 when not listed
};

// In lookup order: the first row whose name equals the list's current item gives the code.
const std::vector<Language>& language_table();
// The 37 names of the language lists, in list order.
std::vector<Text> list_languages();
constexpr int kListLanguageCount = 37;
extern const char kAutoDetect[];  // the web-page list's extra item, after the languages
constexpr int kAutoDetectIndex = kListLanguageCount;

// The code for a display name, or nothing; the web-page lookup also knows kAutoDetect ("auto").
const char* code_for_name(const Text& name, bool web_page = false);

// The codes of the language last looked up in each list: empty at start, set only by the lookups
// below, read by the translation, speech and web-page workers on their own threads.
extern runtime::SharedText sourceLanguageCode;
extern runtime::SharedText targetLanguageCode;
extern runtime::SharedText webPageLanguageCode;

// Each takes the name its list shows; a name that is no language leaves the code as it was.
void source_lookup(const Text& list_name);
void target_lookup(const Text& list_name);
void web_page_source_lookup(const Text& list_name);

}  // namespace translate
