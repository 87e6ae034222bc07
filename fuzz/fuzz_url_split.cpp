// url_host, url_port and url_path on any text.
#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "net/url.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    std::string url = input.rest();
    std::string host = net::url_host(url);
    std::string path = net::url_path(url);
    (void)net::url_port(url);
    if (path.empty() || path[0] != '/') std::abort();
    if (host.size() > url.size()) std::abort();
    return 0;
}
