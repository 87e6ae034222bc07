#include "translate/algorithm.h"

#include "net/url.h"

namespace translate {

using namespace runtime;

namespace {

const char kFullWidthComma[] = "，";
const char kFullWidthPeriod[] = "。";

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

void translate_sentence(const Text& sentence, const PieceTranslator& translate_piece, Text& result) {
    for (const Text& clause : split_text(sentence, Text(kFullWidthComma))) {
        result += translate_piece(clause, false) + ",";
    }
    result += ".";
}

}  // namespace

Text comma_pass(const Text& text) { return replace_all(text, ",", kFullWidthComma); }

// Periods are examined from left to right, each seeing the text as the earlier ones left it: the
// byte before a period may be the last byte of a "。" that replaced the period before it.
Text period_pass(const Text& text) {
    Text result;
    result.reserve(text.size() + text.size() / 4);
    int copied_up_to = 1;
    for (int at = find_text(text, "."); at != -1; at = find_text(text, ".", at + 1)) {
        result.append(text, copied_up_to - 1, at - copied_up_to);
        int before = code_of_char(result, length_of_text(result));
        int after = code_of_char(text, at + 1);
        result += (before > 0 && after > 0) ? Text(".") : Text(kFullWidthPeriod);
        copied_up_to = at + 1;
    }
    result.append(text, copied_up_to - 1, Text::npos);
    return result;
}

std::optional<Text> translate_lines(const Text& text, const PieceTranslator& translate_piece) {
    Texts lines = split_text(text, Text("\r\n"));
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    if (lines.empty()) return std::nullopt;
    if (lines.size() == 1) return translate_piece(lines[0], true);

    Text result;
    result.reserve(text.size() + text.size() / 2);
    for (const Text& line : lines) {
        if (!line.empty()) {
            for (const Text& untrimmed : split_text(line, Text(kFullWidthPeriod))) {
                Text sentence = trim_leading_spaces(untrimmed);
                if (!sentence.empty()) translate_sentence(sentence, translate_piece, result);
            }
        }
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
