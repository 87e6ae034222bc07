// The translation algorithm on any source text, with a translator that returns its piece.
#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "translate/algorithm.h"

namespace {

// The punctuation passes the plain way, a character at a time, to hold the faster ones against.
std::string plain_pass(const std::string& text, char wanted, const char* replacement, bool keep_between_ascii) {
    std::string result;
    for (size_t i = 0; i < text.size();) {
        unsigned char byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x80) {
            result.append(text, i, 2);
            i += 2;
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    std::string source = input.rest();
    std::string commas = translate::comma_pass(source);
    if (commas != plain_pass(source, ',', "\xA3\xAC", false)) std::abort();
    if (translate::period_pass(commas) != plain_pass(commas, '.', "\xA1\xA3", true)) std::abort();
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
