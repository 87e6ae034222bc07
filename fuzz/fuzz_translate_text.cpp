// The translation algorithm on any source text, with a translator that returns its piece.
#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "translate/algorithm.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    std::string source = input.rest();
    bool well_formed = is_well_formed_gbk(source);
    size_t calls = 0;
    bool single = false;
    auto result = translate::translate_text(source, [&](const std::string& piece, bool with_dictionary) {
        ++calls;
        single = with_dictionary;
        // In well-formed text a piece never spans lines (a stray lead byte may swallow a CR).
        if (well_formed && piece.find("\r\n") != std::string::npos) std::abort();
        return piece;
    });
    if (!result && calls != 0) std::abort();
    if (single && calls != 1) std::abort();
    return 0;
}
