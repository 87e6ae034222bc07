// The translation algorithm on any source text, with a translator that returns its piece.
#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "runtime/text.h"
#include "runtime/utf.h"
#include "translate/algorithm.h"

namespace {

// The punctuation passes the plain way, a character at a time, to hold the faster ones against.
std::string plain_pass(const std::string& text, char wanted, const char* replacement, bool keep_between_ascii) {
    std::string result;
    for (size_t i = 0; i < text.size();) {
        unsigned char byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x80) {
            size_t next = runtime::next_char_index(text, i, text.size());
            result.append(text, i, next - i);
            i = next;
            continue;
        }
        bool kept = keep_between_ascii && !result.empty() && static_cast<signed char>(result.back()) > 0 &&
                    i + 1 < text.size() && static_cast<signed char>(text[i + 1]) > 0;
        if (byte == static_cast<unsigned char>(wanted) && !kept) {
            result += replacement;
        } else {
            result += text[i];
        }
        ++i;
    }
    return result;
}

using Calls = std::vector<std::pair<std::string, bool>>;

// The line, sentence and clause steps the plain way, with the text operations themselves and
// copies of every piece, recording the calls.
std::optional<std::string> plain_lines(const std::string& text, Calls& calls) {
    auto translate = [&](const std::string& piece, bool with_dictionary) {
        calls.emplace_back(piece, with_dictionary);
        return "<" + piece + ">";
    };
    runtime::Texts lines = runtime::split_text(text, std::string("\r\n"));
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    if (lines.empty()) return std::nullopt;
    if (lines.size() == 1) return translate(lines[0], true);
    std::string result;
    for (const std::string& line : lines) {
        if (!line.empty()) {
            for (std::string sentence : runtime::split_text(line, std::string("。"))) {
                sentence = runtime::trim_leading_spaces(sentence);
                if (sentence.empty()) continue;
                for (const std::string& clause : runtime::split_text(sentence, std::string("，"))) {
                    result += translate(clause, false) + ",";
                }
                result += ".";
            }
        }
        result += "\r\n";
    }
    for (int at = runtime::find_text(result, ",."); at != -1; at = runtime::find_text(result, ",.", at + 1)) {
        result = runtime::replace_span(result, at, 2, std::string("."));
    }
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    std::string source = input.rest();
    std::string commas = translate::comma_pass(source);
    if (commas != plain_pass(source, ',', "，", false)) std::abort();
    if (translate::period_pass(commas) != plain_pass(commas, '.', "。", true)) std::abort();
    bool well_formed = runtime::is_valid_utf8(source);
    size_t calls = 0;
    bool single = false;
    auto result = translate::translate_text(source, [&](const std::string& piece, bool with_dictionary) {
        ++calls;
        single = with_dictionary;
        // In valid UTF-8 a piece never spans lines (a broken character may be taken for one with the CR).
        if (well_formed && piece.find("\r\n") != std::string::npos) std::abort();
        return piece;
    });
    if (!result && calls != 0) std::abort();

    Calls made, expected;
    std::optional<std::string> lines =
        translate::translate_lines(source, [&](const std::string& piece, bool with_dictionary) {
            made.emplace_back(piece, with_dictionary);
            return "<" + piece + ">";
        });
    if (lines != plain_lines(source, expected) || made != expected) std::abort();
    if (single && calls != 1) std::abort();
    return 0;
}
