// Cutting the translation service's reply into the text shown in the result box. The reply is a
// bracketed list; it is never parsed, only searched for fixed markers (no escape is interpreted).
#pragma once

#include "runtime/text.h"

namespace translate {

using runtime::Text;

// The translations of all sentences, joined with nothing between them.
Text cut_translation(const Text& reply);
// The translation and, when the reply has a dictionary section, a blank line and the dictionary.
Text cut_translation_with_dictionary(const Text& reply, const Text& source_language_code);

}  // namespace translate
