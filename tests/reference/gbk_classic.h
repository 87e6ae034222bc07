// The classic program's text path as it was when every text inside was code page 936 (GBK): the
// text operations, percent coding, the request URLs, the translation algorithm, the reply cutting,
// the texts spoken and the browser's command line. Kept unchanged as the reference that the UTF-8
// program is compared with, for every text GBK can hold. Texts here are GBK bytes.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace gbk_classic {

using Text = std::string;

// Conversions through CP936, as the classic program made them with code page 936: a character the
// other side cannot hold becomes '?' (to GBK) or U+FFFD (to UTF-8).
Text to_gbk(const std::string& utf8);
std::string to_utf8(const Text& gbk);
// Whether the UTF-8 text survives the trip to GBK and back unchanged.
bool gbk_can_hold(const std::string& utf8);

Text url_encode(const Text& text);
Text url_decode(const Text& text);

Text translation_url(const Text& host, const Text& piece, const Text& source_code, const Text& target_code);
Text speech_url(const Text& host, const Text& text, const Text& language_code);

using PieceTranslator = std::function<Text(const Text& piece, bool with_dictionary)>;
Text comma_pass(const Text& text);
Text period_pass(const Text& text);
std::optional<Text> translate_text(const Text& source, const PieceTranslator& translate_piece);

struct LanguagePair {
    int source;
    int target;
};
LanguagePair recognise_languages(const Text& source, LanguagePair current);

Text cut_translation(const Text& reply);
Text cut_translation_with_dictionary(const Text& reply, const Text& source_language_code);

Text result_text_to_speak(const Text& result);
Text source_text_to_speak(const Text& source);
Text web_page_url(const Text& host, const Text& address, const Text& language_code);
Text browser_command_line(const Text& url);

}  // namespace gbk_classic
