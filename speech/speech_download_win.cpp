#include <algorithm>
#include <string>

#include "net/wininet_win.h"
#include "runtime/utf.h"
#include "speech/speech_download.h"

namespace speech {

using runtime::Bytes;
using runtime::Text;

namespace {

const DWORD kLargestReadBuffer = 102400;
const DWORD kReadBufferWithoutLength = 10240;
const DWORD kContentLengthBuffer = 32;

struct UrlParts {
    INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
    Text host, user, password, path;
    INTERNET_PORT port = 0;
};

bool split_url(const Text& url, UrlParts& parts) {
    std::wstring cut = runtime::wide(url.substr(0, url.find('#')));
    DWORD size = static_cast<DWORD>(cut.size() * 3 + 64);
    std::wstring canonical(size, L'\0');
    if (!InternetCanonicalizeUrlW(cut.c_str(), &canonical[0], &size, ICU_NO_ENCODE)) return false;
    canonical.resize(size);
    std::wstring host(canonical.size() + 1, L'\0'), user = host, password = host, path = host, extra = host;
    URL_COMPONENTSW components{};
    components.dwStructSize = sizeof components;
    components.lpszHostName = &host[0];
    components.dwHostNameLength = static_cast<DWORD>(host.size());
    components.lpszUserName = &user[0];
    components.dwUserNameLength = static_cast<DWORD>(user.size());
    components.lpszPassword = &password[0];
    components.dwPasswordLength = static_cast<DWORD>(password.size());
    components.lpszUrlPath = &path[0];
    components.dwUrlPathLength = static_cast<DWORD>(path.size());
    components.lpszExtraInfo = &extra[0];
    components.dwExtraInfoLength = static_cast<DWORD>(extra.size());
    if (!InternetCrackUrlW(canonical.c_str(), static_cast<DWORD>(canonical.size()), 0, &components)) return false;
    parts.scheme = components.nScheme;
    parts.port = components.nPort;
    parts.host = runtime::narrow(host.c_str());
    parts.user = runtime::narrow(user.c_str());
    parts.password = runtime::narrow(password.c_str());
    parts.path = runtime::narrow(path.c_str()) + runtime::narrow(extra.c_str());
    return !parts.host.empty();
}

DWORD read_buffer_size(HINTERNET request) {
    wchar_t length_text[kContentLengthBuffer] = {};
    DWORD size = sizeof length_text;
    if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, length_text, &size, nullptr))
        return kReadBufferWithoutLength;
    double length = _wtof(length_text);
    if (length <= 0) return kReadBufferWithoutLength;
    return static_cast<DWORD>(std::min<double>(length + 1, kLargestReadBuffer));
}

}  // namespace

Bytes speech_download(const Text& url) {
    HINTERNET session = net::process_session();
    UrlParts parts;
    if (!session || !split_url(url, parts)) return Bytes();
    net::InternetHandle connection = net::connect(session, parts.host, parts.port, parts.user, parts.password);
    if (!connection) return Bytes();
    // Whatever proxy the system is configured with applies to the speech download.
    INTERNET_PROXY_INFO preconfigured{INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr};
    InternetSetOptionW(session, INTERNET_OPTION_PROXY, &preconfigured, sizeof preconfigured);
    InternetSetOptionW(connection.get(), INTERNET_OPTION_PROXY_USERNAME, const_cast<wchar_t*>(L""), 1);
    InternetSetOptionW(connection.get(), INTERNET_OPTION_PROXY_PASSWORD, const_cast<wchar_t*>(L""), 1);

    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
    if (parts.scheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
    net::InternetHandle request = net::open_request(connection.get(), "GET", parts.path, L"HTTP/1.0", flags);
    if (!request) return Bytes();
    if (!net::send_request(request.get(), "Accept: */*\r\n\r\n")) return Bytes();
    return net::read_body(request.get(), read_buffer_size(request.get()));
}

}  // namespace speech
