// url_encode and url_decode (with the UTF-8 check behind it) on any bytes.
#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "net/url.h"
#include "runtime/utf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    std::string text = input.rest();
    std::string encoded = net::url_encode(text);
    for (char c : encoded) {
        if (static_cast<unsigned char>(c) >= 0x80) std::abort();  // encoding leaves ASCII only
    }
    std::string decoded = net::url_decode(encoded);
    if (decoded.find('\0') != std::string::npos) std::abort();
    // Every byte comes back; what is not UTF-8 comes back as U+FFFD, so valid text is unchanged.
    if (decoded != runtime::valid_utf8(text)) std::abort();
    if (!runtime::is_valid_utf8(decoded)) std::abort();
    (void)net::url_decode(text);
    return 0;
}
