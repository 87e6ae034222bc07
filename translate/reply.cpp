#include "translate/reply.h"

#include "engines/engine.h"

namespace translate {

using namespace runtime;

namespace {

const char kQuote[] = "\"";
const char kDictionaryHeading[] = "字典: ";

// The quoted part of speech of a dictionary entry; b receives the position of its closing quote.
Text part_of_speech(const Text& entry, int& b) {
    int a = find_text(entry, kQuote) + 1;
    b = find_text(entry, kQuote, a);
    return mid_text(entry, a, b - a);
}

// The words of an entry: as many quoted strings after the part of speech as the entry has
// commas, numbered when there is more than one.
Text words_of(const Text& entry, int b) {
    int n = static_cast<int>(split_text(entry, Text(",")).size()) - 1;
    Text words;
    for (int i = 1; i <= n; ++i) {
        int a = find_text(entry, kQuote, b + 1) + 1;
        b = find_text(entry, kQuote, a);
        Text word = mid_text(entry, a, b - a);
        words += n != 1 ? to_text(i) + "." + word + "  " : word;
    }
    return words;
}

Text heading_and_words(const Text& entry) {
    int b = 0;
    Text pos = part_of_speech(entry, b);
    return (pos.empty() ? Text(kDictionaryHeading) : pos + ": ") + words_of(entry, b);
}

// A request that left the source language to the service gets the detected one named after the
// empty dictionary slot, whichever it is.
Text no_dictionary_marker(const Text& source_language_code) {
    return source_language_code == engines::kDetectSource ? Text("]],,\"") : "]],,\"" + source_language_code + "\"";
}

Text dictionary_of(const Text& reply, const Text& source_language_code) {
    if (find_text(reply, no_dictionary_marker(source_language_code)) != -1) return Text();
    int p2 = find_text(reply, "]],") + 3;
    int q2 = find_text(reply, "]],\"", p2);
    Text section = mid_text(reply, p2, q2 - p2);
    if (find_text(section, "]],[") == -1) return heading_and_words(section);
    Text dictionary;
    for (const Text& entry : split_text(section, Text("]],["))) dictionary += heading_and_words(entry) + "\r\n\r\n";
    return dictionary;
}

}  // namespace

Text cut_translation(const Text& reply) {
    int p = find_text(reply, "[[[") + 3;
    int q = find_text(reply, "]],", p);
    Text translation;
    for (const Text& entry : split_text(mid_text(reply, p, q - p), Text("],["))) {
        int a = find_text(entry, kQuote) + 1;
        int b = find_text(entry, "\",\"");
        translation += mid_text(entry, a, b - a);
    }
    return translation;
}

Text cut_translation_with_dictionary(const Text& reply, const Text& source_language_code) {
    Text translation = cut_translation(reply);
    Text dictionary = dictionary_of(reply, source_language_code);
    return dictionary.empty() ? translation : translation + "\r\n\r\n" + dictionary;
}

}  // namespace translate
