// Both variants of the reply cutting on any reply text and language code.
#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "translate/reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    std::string code = input.next_text();
    std::string reply = input.rest();
    std::string translation = translate::cut_translation(reply);
    std::string display = translate::cut_translation_with_dictionary(reply, code);
    // The display text always begins with the translation.
    if (display.compare(0, translation.size(), translation) != 0) std::abort();
    return 0;
}
