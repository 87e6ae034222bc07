// url_encode and url_decode (with the UTF-8 conversion behind it) on any bytes.
#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "net/codepage.h"
#include "net/url.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    std::string text = input.rest();
    std::string encoded = net::url_encode(text);
    for (char c : encoded) {
        if (static_cast<unsigned char>(c) >= 0x80) std::abort();  // encoding leaves ASCII only
    }
    std::string decoded = net::url_decode(encoded);
    if (decoded.find('\0') != std::string::npos) std::abort();
    // Text that survives the round trip through UTF-8 comes back unchanged.
    bool convertible = is_well_formed_gbk(text) && net::utf8_to_ansi(net::ansi_to_utf8(text)) == text;
    if (convertible && decoded != text) std::abort();
    (void)net::url_decode(text);
    return 0;
}
