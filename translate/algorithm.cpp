#include "translate/algorithm.h"

#include "net/url.h"

namespace translate {

using namespace runtime;

namespace {

const char kFullWidthComma[] = "，";
const char kFullWidthPeriod[] = "。";
const Text kComma = kFullWidthComma;
const Text kPeriod = kFullWidthPeriod;

// Replaces from left to right; the search goes on after each replacement, so what a replacement
// inserts is never examined again. Built in one pass, so long texts cost linear time.
Text replace_all(const Text& text, const Text& from, const Text& to) {
    Text result;
    result.reserve(text.size());
    int copied_up_to = 1;
    for (int at = find_text(text, from); at != -1; at = find_text(text, from, copied_up_to)) {
        result.append(text, copied_up_to - 1, at - copied_up_to);
        result += to;
        copied_up_to = at + length_of_text(from);
    }
    result.append(text, copied_up_to - 1, Text::npos);
    return result;
}

Text piece_of(const Text& text, Span span) { return text.substr(span.begin, span.end - span.begin); }

// The clauses of a sentence, each translated and followed by ",", then "." for the sentence.
void translate_sentence(const Text& text, Span sentence, const PieceTranslator& translate_piece, Text& result) {
    for_each_piece(text, kComma, sentence.begin, sentence.end, [&](Span clause) {
        result += translate_piece(piece_of(text, clause), false);
        result += ',';
        return true;
    });
    result += '.';
}

// Both passes walk the text a character at a time, as find_text would, so that a comma or period
// is never taken for the second byte of a double-byte character.
template <typename OnAscii>
Text walk_characters(const Text& text, OnAscii on_ascii) {
    Text result;
    result.reserve(text.size() + text.size() / 4);
    for (size_t i = 0; i < text.size();) {
        if (is_lead_byte(static_cast<unsigned char>(text[i]))) {
            size_t width = i + 1 < text.size() ? 2 : 1;
            result.append(text, i, width);
            i += width;
        } else {
            on_ascii(result, i);
            i += 1;
        }
    }
    return result;
}

}  // namespace

Text comma_pass(const Text& text) {
    return walk_characters(text, [&](Text& result, size_t i) {
        if (text[i] == ',') {
            result += kFullWidthComma;
        } else {
            result += text[i];
        }
    });
}

// Periods are examined from left to right, each seeing the text as the earlier ones left it: the
// byte before a period may be the last byte of a "。" that replaced the period before it.
Text period_pass(const Text& text) {
    return walk_characters(text, [&](Text& result, size_t i) {
        if (text[i] != '.') {
            result += text[i];
            return;
        }
        int before = code_of_char(result, length_of_text(result));
        int after = code_of_char(text, static_cast<int>(i) + 2);
        if (before > 0 && after > 0) {
            result += '.';
        } else {
            result += kFullWidthPeriod;
        }
    });
}

// Lines, sentences and clauses are ranges of the text rather than copies, so that a long text
// costs time in proportion to its length and memory only for the result.
std::optional<Text> translate_lines(const Text& text, const PieceTranslator& translate_piece) {
    std::vector<Span> lines = split_spans(text, "\r\n");
    while (!lines.empty() && lines.back().begin == lines.back().end) lines.pop_back();
    if (lines.empty()) return std::nullopt;
    if (lines.size() == 1) return translate_piece(piece_of(text, lines[0]), true);

    Text result;
    result.reserve(text.size() + text.size() / 2);
    for (Span line : lines) {
        for_each_piece(text, kPeriod, line.begin, line.end, [&](Span sentence) {
            sentence.begin = skip_leading_spaces(text, sentence.begin, sentence.end);
            if (sentence.begin < sentence.end) translate_sentence(text, sentence, translate_piece, result);
            return true;
        });
        result += "\r\n";
    }
    return replace_all(result, ",.", ".");
}

std::optional<Text> translate_text(const Text& source, const PieceTranslator& translate_piece) {
    return translate_lines(period_pass(comma_pass(source)), translate_piece);
}

Text translation_url(const Text& host, const Text& piece, const Text& source_code, const Text& target_code) {
    return "http://" + host + "/translate_a/t?client=t&text=" + net::url_encode(piece) + "&hl=zh-CN&sl=" +
           source_code + "&tl=" + target_code + "&multires=1&otf=2&ssel=0&tsel=0&sc=1";
}

LanguagePair recognise_languages(const Text& source, LanguagePair current) {
    if (source.empty()) return current;
    bool double_byte = static_cast<unsigned char>(source[0]) >= 127;
    LanguagePair pair = current;
    if (double_byte) {
        pair.source = kChineseSimplifiedIndex;
        if (current.target == kChineseSimplifiedIndex) pair.target = kEnglishIndex;
    } else {
        pair.source = kEnglishIndex;
        if (current.target == kEnglishIndex) pair.target = kChineseSimplifiedIndex;
    }
    return pair;
}

}  // namespace translate
