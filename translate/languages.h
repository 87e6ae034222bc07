// The languages the user picks by their Chinese names, and the service's codes for them.
#pragma once

#include <vector>

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
extern const char kAutoDetect[];  // the web-page list's extra item

// The code for a display name, or nothing; the web-page lookup also knows kAutoDetect ("auto").
const char* code_for_name(const Text& name, bool web_page = false);

}  // namespace translate
