// What a service says of one piece of text: its translation and, where the service has one, its
// dictionary entries. The classic reply cutting and every engine's reader produce it; one
// formatter turns it into what the result box shows, so no service's text is ever parsed again.
#pragma once

#include <optional>
#include <vector>

#include "runtime/text.h"

namespace engines {

using runtime::Text;

struct DictionaryEntry {
    Text part_of_speech;  // empty: the entry is headed by "字典: "
    std::vector<Text> words;
};

struct Dictionary {
    std::vector<DictionaryEntry> entries;
    // Whether each entry is followed by a blank line: so the classic service's replies show
    // several entries, while a single entry ends with its last word.
    bool separated = false;
};

struct PieceTranslation {
    Text text;
    std::optional<Dictionary> dictionary;
};

// A dictionary as the classic service shows one: entries that are blank-line separated when
// there are several.
inline Dictionary dictionary_of(std::vector<DictionaryEntry> entries) {
    bool several = entries.size() > 1;
    return Dictionary{std::move(entries), several};
}

}  // namespace engines
