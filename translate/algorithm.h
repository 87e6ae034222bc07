// The translation of a whole source text, as a pure function of the text and a function that
// translates one piece.
#pragma once

#include <functional>
#include <optional>

#include "runtime/text.h"
#include "translate/recognition.h"

namespace translate {

using runtime::Text;

// Translates a piece; with_dictionary asks for the dictionary lines as well.
using PieceTranslator = std::function<Text(const Text& piece, bool with_dictionary)>;

// Every ASCII comma becomes the full-width "，".
Text comma_pass(const Text& text);
// An ASCII period stays only between two ASCII characters (not NUL); elsewhere it becomes "。".
Text period_pass(const Text& text);
// After the punctuation passes: one line is translated whole with dictionary; several lines clause
// by clause without. Nothing when the text has no line (empty, or only line breaks).
std::optional<Text> translate_lines(const Text& text, const PieceTranslator& translate_piece);
// Both passes, then translate_lines.
std::optional<Text> translate_text(const Text& source, const PieceTranslator& translate_piece);

}  // namespace translate
