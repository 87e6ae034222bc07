// The translation service's reply as the result box shows it. The classic reply is a bracketed
// list; it is never parsed, only searched for fixed markers (no escape is interpreted), and what
// the markers give is put into the same structure every engine fills.
#pragma once

#include "engines/translation.h"
#include "runtime/text.h"

namespace translate {

using runtime::Text;

// The translation of all sentences, joined with nothing between them, and, when asked for and the
// reply has a dictionary section, the dictionary entries.
engines::PieceTranslation cut_reply(const Text& reply, const Text& source_language_code, bool with_dictionary);

// What the result box shows for a piece: the translation and, when there is a dictionary, a blank
// line and the dictionary lines.
Text display_text(const engines::PieceTranslation& piece);

// The two as the classic call uses them.
Text cut_translation(const Text& reply);
Text cut_translation_with_dictionary(const Text& reply, const Text& source_language_code);

}  // namespace translate
