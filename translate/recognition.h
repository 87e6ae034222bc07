// The automatic recognition (自动识别): the language pair picked from the first character of the
// source text.
#pragma once

#include "runtime/text.h"

namespace translate {

using runtime::Text;

// Rows of the source and the target language list.
struct LanguagePair {
    int source;
    int target;
};
constexpr int kChineseSimplifiedIndex = 0;
constexpr int kEnglishIndex = 2;

struct Recognition {
    LanguagePair rows;
    // The first character belongs to no one language of the lists (Cyrillic, Arabic, a Latin letter
    // with a mark...): the source row is left as it was and the service is asked to detect the
    // language.
    bool detect_source = false;
};

// A Chinese character (a Han ideograph, CJK punctuation or symbol, a full-width form) means Chinese
// and turns a Chinese target into English; an ASCII character means English and turns an English
// target into Chinese. A letter of a script that one listed language alone writes (Hangul, kana,
// Thai, Greek, Devanagari, Gujarati, Georgian) picks that language, turning the same target into
// Chinese. Any other character leaves the rows and asks for detection. An empty text changes nothing.
Recognition recognise_languages(const Text& source, LanguagePair current);

}  // namespace translate
