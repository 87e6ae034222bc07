#include <chrono>
#include <string>

#include "net/http_client.h"
#include "net/wininet_win.h"
#include "runtime/utf.h"

namespace net {

namespace {

const DWORD kTimeoutMs = 20000;
const DWORD kReadChunk = 16384;

struct Target {
    bool secure = false;
    Text host;
    int port = 0;
    Text path;
};

bool crack(const Text& url, Target& target) {
    std::wstring whole = runtime::wide(url);
    wchar_t host[INTERNET_MAX_HOST_NAME_LENGTH] = {};
    std::wstring path(whole.size() + 1, L'\0');
    std::wstring extra(whole.size() + 1, L'\0');
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = INTERNET_MAX_HOST_NAME_LENGTH;
    parts.lpszUrlPath = &path[0];
    parts.dwUrlPathLength = static_cast<DWORD>(path.size());
    parts.lpszExtraInfo = &extra[0];
    parts.dwExtraInfoLength = static_cast<DWORD>(extra.size());
    if (!InternetCrackUrlW(whole.c_str(), static_cast<DWORD>(whole.size()), 0, &parts)) return false;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
    target.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    target.host = runtime::narrow(host);
    target.port = parts.nPort;
    target.path = runtime::narrow(path.c_str()) + runtime::narrow(extra.c_str());
    if (target.path.empty()) target.path = "/";
    return !target.host.empty();
}

HttpReply failed() { return HttpReply{0, Bytes(), static_cast<unsigned>(GetLastError())}; }

// Some WinInet versions report a receive time-out as an aborted connection; one that failed
// only after the whole time-out had passed is reported as the time-out it was.
HttpReply failed_since(std::chrono::steady_clock::time_point sent) {
    HttpReply reply = failed();
    if (std::chrono::steady_clock::now() - sent >= std::chrono::milliseconds(kTimeoutMs)) reply.error = kErrorTimeout;
    return reply;
}

}  // namespace

HttpReply http_send(const HttpRequest& request) {
    Target target;
    if (!crack(request.url, target)) return HttpReply{0, Bytes(), ERROR_INTERNET_INVALID_URL};
    HINTERNET session = engine_session();
    if (!session) return failed();
    InternetHandle connection = connect(session, target.host, target.port, "", "");
    if (!connection) return failed();
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_COOKIES |
                  INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_UI | INTERNET_FLAG_KEEP_CONNECTION;
    if (target.secure) flags |= INTERNET_FLAG_SECURE;
    InternetHandle handle = open_request(connection.get(), request.method, target.path, L"HTTP/1.1", flags);
    if (!handle) return failed();
    set_timeouts(handle.get(), kTimeoutMs);
    auto sent = std::chrono::steady_clock::now();
    const void* body = request.body.empty() ? nullptr : request.body.data();
    if (!send_request(handle.get(), request.headers, body, request.body.size())) return failed_since(sent);
    HttpReply reply;
    reply.status = reply_status(handle.get());
    reply.body = read_body(handle.get(), kReadChunk, nullptr, kLargestReply);
    return reply;
}

}  // namespace net
