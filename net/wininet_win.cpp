#include "net/wininet_win.h"

#include <mutex>
#include <vector>

namespace net {

using runtime::Bytes;
using runtime::Text;

namespace {

const char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

HINTERNET open(DWORD access, const char* proxy_name, const char* bypass) {
    return InternetOpenA(kUserAgent, access, proxy_name, bypass, 0);
}

}  // namespace

InternetHandle open_session(const Text* proxy) {
    Text proxy_name = proxy ? "http=" + *proxy : Text();
    return InternetHandle(open(proxy ? INTERNET_OPEN_TYPE_PROXY : INTERNET_OPEN_TYPE_DIRECT, proxy_name.c_str(), ""));
}

HINTERNET process_session() {
    // Never closed: it lives as long as the process, as the routines that use it do.
    static HINTERNET session = open(INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr);
    return session;
}

HINTERNET engine_session() {
    static HINTERNET session = open(INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr);
    return session;
}

InternetHandle connect(HINTERNET session, const Text& host, int port, const Text& user, const Text& password) {
    return InternetHandle(InternetConnectA(session, host.c_str(), static_cast<INTERNET_PORT>(port), user.c_str(),
                                           password.c_str(), INTERNET_SERVICE_HTTP, 0, 0));
}

InternetHandle open_request(HINTERNET connection, const Text& verb, const Text& path, const char* version,
                            DWORD flags) {
    return InternetHandle(
        HttpOpenRequestA(connection, verb.c_str(), path.c_str(), version, nullptr, nullptr, flags, 0));
}

Bytes read_body(HINTERNET request, DWORD chunk_size, void (*before_each_read)(), size_t largest) {
    std::vector<unsigned char> chunk(chunk_size);
    Bytes body;
    while (body.size() < largest) {
        if (before_each_read) before_each_read();
        DWORD count = 0;
        if (!InternetReadFile(request, chunk.data(), chunk_size, &count) || count == 0) return body;
        body.insert(body.end(), chunk.begin(), chunk.begin() + count);
    }
    return body;
}

}  // namespace net
