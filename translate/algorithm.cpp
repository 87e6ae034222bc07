#include "translate/algorithm.h"

#include <cstring>

namespace translate {

using namespace runtime;

namespace {

const char kFullWidthComma[] = "，";
const char kFullWidthPeriod[] = "。";
const Text kComma = kFullWidthComma;
const Text kPeriod = kFullWidthPeriod;

// ",." becomes "." wherever find_text finds it, from left to right, the search going on after each
// replacement. Done in place: the text only shrinks, so the kept part never overtakes the search.
void join_clause_ends(Text& text) {
    size_t kept = 0, copied = 0;
    auto keep_up_to = [&](size_t end) {
        std::memmove(&text[0] + kept, text.data() + copied, end - copied);
        kept += end - copied;
    };
    for (int at = find_text(text, ",."); at != -1; at = find_text(text, ",.", static_cast<int>(copied) + 1)) {
        keep_up_to(at - 1);
        text[kept++] = '.';
        copied = at + 1;
    }
    keep_up_to(text.size());
    text.resize(kept);
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

// Both passes look at single bytes: no byte of a UTF-8 character beyond ASCII is below 128, so an
// ASCII comma or period is always a character of its own. Runs without the wanted byte are copied
// whole; replace appends what stands for each one found.
template <typename Replace>
Text replace_ascii(const Text& text, char wanted, Replace replace) {
    Text result;
    result.reserve(text.size() + text.size() / 4);
    size_t copied = 0;
    for (size_t i = text.find(wanted); i != Text::npos; i = text.find(wanted, copied)) {
        result.append(text, copied, i - copied);
        replace(result, i);
        copied = i + 1;
    }
    result.append(text, copied, Text::npos);
    return result;
}

}  // namespace

Text comma_pass(const Text& text) {
    return replace_ascii(text, ',', [](Text& result, size_t) { result += kFullWidthComma; });
}

// Periods are examined from left to right, each seeing the text as the earlier ones left it: the
// character before a period may be a "。" that replaced the period before it. A neighbour is ASCII
// exactly when its byte next to the period is 1 to 127, as the last and first bytes of any other
// character are 128 or more.
Text period_pass(const Text& text) {
    return replace_ascii(text, '.', [&](Text& result, size_t i) {
        int before = code_of_char(result, length_of_text(result));
        int after = code_of_char(text, static_cast<int>(i) + 2);
        if (before > 0 && after > 0) {
            result += '.';
        } else {
            result += kFullWidthPeriod;
        }
    });
}

// The sentences of a line, then its line break.
void translate_line(const Text& text, Span line, const PieceTranslator& translate_piece, Text& result) {
    for_each_piece(text, kPeriod, line.begin, line.end, [&](Span sentence) {
        sentence.begin = skip_leading_spaces(text, sentence.begin, sentence.end);
        if (sentence.begin < sentence.end) translate_sentence(text, sentence, translate_piece, result);
        return true;
    });
    result += "\r\n";
}

// Lines, sentences and clauses are ranges of the text rather than copies, and the lines are taken
// in one pass without being collected, so that a long text costs time in proportion to its length
// and memory only for the result. Empty lines are held back until a line with text follows them:
// those at the end are dropped. A first line with text is held back until a second one shows that
// the text has several lines; if none does, it is the single line, translated with dictionary.
std::optional<Text> translate_lines(const Text& text, const PieceTranslator& translate_piece) {
    Text result;
    std::optional<Span> single_line;
    bool several_lines = false;
    int held_empty_lines = 0;
    for_each_piece(text, "\r\n", 0, text.size(), [&](Span line) {
        if (line.begin == line.end) {
            ++held_empty_lines;
        } else if (line.begin == 0) {  // the first line
            single_line = line;
        } else {
            if (!several_lines) result.reserve(text.size() + text.size() / 2);
            several_lines = true;
            if (single_line) translate_line(text, *single_line, translate_piece, result);
            single_line.reset();
            for (; held_empty_lines > 0; --held_empty_lines) result += "\r\n";
            translate_line(text, line, translate_piece, result);
        }
        return true;
    });
    if (single_line) return translate_piece(piece_of(text, *single_line), true);
    if (!several_lines) return std::nullopt;
    join_clause_ends(result);
    return result;
}

std::optional<Text> translate_text(const Text& source, const PieceTranslator& translate_piece) {
    return translate_lines(period_pass(comma_pass(source)), translate_piece);
}

}  // namespace translate
