#include "net/wininet_win.h"

#include <vector>

#include "runtime/utf.h"

namespace net {

using runtime::Bytes;
using runtime::Text;
using runtime::wide;

namespace {

const wchar_t kUserAgent[] = L"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

HINTERNET open(DWORD access, const wchar_t* proxy_name, const wchar_t* bypass) {
    return InternetOpenW(kUserAgent, access, proxy_name, bypass, 0);
}

}  // namespace

InternetHandle open_session(const Text* proxy) {
    std::wstring proxy_name = proxy ? wide("http=" + *proxy) : std::wstring();
    return InternetHandle(open(proxy ? INTERNET_OPEN_TYPE_PROXY : INTERNET_OPEN_TYPE_DIRECT, proxy_name.c_str(), L""));
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
    return InternetHandle(InternetConnectW(session, wide(host).c_str(), static_cast<INTERNET_PORT>(port),
                                           wide(user).c_str(), wide(password).c_str(), INTERNET_SERVICE_HTTP, 0, 0));
}

InternetHandle open_request(HINTERNET connection, const Text& verb, const Text& path, const wchar_t* version,
                            DWORD flags) {
    return InternetHandle(
        HttpOpenRequestW(connection, wide(verb).c_str(), wide(path).c_str(), version, nullptr, nullptr, flags, 0));
}

bool send_request(HINTERNET request, const Text& headers, const void* body, size_t body_size) {
    std::wstring header_block = wide(headers);
    return HttpSendRequestW(request, header_block.c_str(), static_cast<DWORD>(header_block.size()),
                            const_cast<void*>(body), static_cast<DWORD>(body_size)) != 0;
}

int reply_status(HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) return 0;
    return static_cast<int>(status);
}

void set_timeouts(HINTERNET request, DWORD milliseconds) {
    for (DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT}) {
        InternetSetOptionW(request, option, &milliseconds, sizeof milliseconds);
    }
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
