#include "translate/reply.h"

#include "engines/engine.h"

namespace translate {

using namespace runtime;
using engines::Dictionary;
using engines::DictionaryEntry;

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
// commas; a word is the next quoted string after the previous closing quote.
std::vector<Text> words_of(const Text& entry, int b) {
    int n = static_cast<int>(split_text(entry, Text(",")).size()) - 1;
    std::vector<Text> words;
    for (int i = 1; i <= n; ++i) {
        int a = find_text(entry, kQuote, b + 1) + 1;
        b = find_text(entry, kQuote, a);
        words.push_back(mid_text(entry, a, b - a));
    }
    return words;
}

DictionaryEntry entry_of(const Text& entry) {
    int b = 0;
    Text pos = part_of_speech(entry, b);
    return DictionaryEntry{pos, words_of(entry, b)};
}

// A request that left the source language to the service gets the detected one named after the
// empty dictionary slot, whichever it is.
Text no_dictionary_marker(const Text& source_language_code) {
    return source_language_code == engines::kDetectSource ? Text("]],,\"") : "]],,\"" + source_language_code + "\"";
}

std::optional<Dictionary> dictionary_of(const Text& reply, const Text& source_language_code) {
    if (find_text(reply, no_dictionary_marker(source_language_code)) != -1) return std::nullopt;
    int p2 = find_text(reply, "]],") + 3;
    int q2 = find_text(reply, "]],\"", p2);
    Text section = mid_text(reply, p2, q2 - p2);
    if (find_text(section, "]],[") == -1) return Dictionary{{entry_of(section)}, false};
    Dictionary dictionary{{}, true};
    for (const Text& entry : split_text(section, Text("]],["))) dictionary.entries.push_back(entry_of(entry));
    return dictionary;
}

Text translation_of(const Text& reply) {
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

// Numbered when there is more than one word, each followed by two spaces; a single word alone.
Text words_text(const std::vector<Text>& words) {
    if (words.size() == 1) return words[0];
    Text text;
    for (size_t i = 0; i < words.size(); ++i) text += to_text(static_cast<int>(i + 1)) + "." + words[i] + "  ";
    return text;
}

Text entry_text(const DictionaryEntry& entry) {
    return (entry.part_of_speech.empty() ? Text(kDictionaryHeading) : entry.part_of_speech + ": ") +
           words_text(entry.words);
}

}  // namespace

engines::PieceTranslation cut_reply(const Text& reply, const Text& source_language_code, bool with_dictionary) {
    engines::PieceTranslation piece{translation_of(reply), std::nullopt};
    if (with_dictionary) piece.dictionary = dictionary_of(reply, source_language_code);
    return piece;
}

Text display_text(const engines::PieceTranslation& piece) {
    if (!piece.dictionary) return piece.text;
    Text dictionary;
    for (const DictionaryEntry& entry : piece.dictionary->entries) {
        dictionary += entry_text(entry);
        if (piece.dictionary->separated) dictionary += "\r\n\r\n";
    }
    return piece.text + "\r\n\r\n" + dictionary;
}

Text cut_translation(const Text& reply) { return translation_of(reply); }

Text cut_translation_with_dictionary(const Text& reply, const Text& source_language_code) {
    return display_text(cut_reply(reply, source_language_code, true));
}

}  // namespace translate
