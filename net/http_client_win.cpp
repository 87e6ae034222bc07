#include <windows.h>
#include <wininet.h>

#include "net/http_client.h"
#include "net/url.h"
#include "runtime/system.h"

namespace net {

using namespace runtime;

namespace {

const char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
const char kAcceptLine[] =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";
const char kLanguageLine[] = "Accept-Language: zh-cn\r\n";
const DWORD kTimeoutMs = 18000;
const DWORD kReadChunk = 512;
const DWORD kReplyHeaderBuffer = 1024;

// The three handles of one request, closed in the order internet, connection, request.
struct RequestHandles {
    HINTERNET internet = nullptr;
    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;
    RequestHandles() = default;
    RequestHandles(const RequestHandles&) = delete;
    RequestHandles& operator=(const RequestHandles&) = delete;
    ~RequestHandles() {
        for (HINTERNET handle : {internet, connection, request}) {
            if (handle) InternetCloseHandle(handle);
        }
    }
};

Text complete_header_block(Text headers, const Text& url) {
    if (find_text(headers, "Accept: ", 1, true) == -1) headers += kAcceptLine;
    if (find_text(headers, "Referer: ", 1, true) == -1) headers += "Referer: " + url + "\r\n";
    if (find_text(headers, "Accept-Language: ", 1, true) == -1) headers += kLanguageLine;
    return headers;
}

Bytes read_body(HINTERNET request) {
    Bytes body;
    DWORD count = 1;
    while (count > 0) {
        unsigned char chunk[kReadChunk] = {};
        process_events();
        if (!InternetReadFile(request, chunk, kReadChunk, &count)) break;
        body.insert(body.end(), chunk, chunk + count);
    }
    return body;
}

Text raw_reply_headers(HINTERNET request) {
    char buffer[kReplyHeaderBuffer];
    std::fill(buffer, buffer + kReplyHeaderBuffer, ' ');
    DWORD length = kReplyHeaderBuffer;
    HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, buffer, &length, nullptr);
    return to_text(Bytes(buffer, buffer + kReplyHeaderBuffer));
}

}  // namespace

Bytes http_request(const Text& url, Text* method, const Text* proxy, Text* request_headers, const Text* request_body,
                   Text* reply_headers) {
    RequestHandles handles;
    Text proxy_name = proxy ? "http=" + *proxy : Text();
    handles.internet = InternetOpenA(kUserAgent, proxy ? INTERNET_OPEN_TYPE_PROXY : INTERNET_OPEN_TYPE_DIRECT,
                                     proxy_name.c_str(), "", 0);
    if (!handles.internet) return Bytes();
    handles.connection = InternetConnectA(handles.internet, url_host(url).c_str(),
                                          static_cast<INTERNET_PORT>(url_port(url)), "", "", INTERNET_SERVICE_HTTP, 0, 0);
    if (!handles.connection) return Bytes();

    Text verb = method ? *method : Text();
    if (to_upper(verb) != "POST") verb = "GET";
    if (method) *method = verb;
    handles.request = HttpOpenRequestA(handles.connection, verb.c_str(), url_path(url).c_str(), "HTTP/1.1", nullptr,
                                       nullptr, INTERNET_FLAG_RELOAD, 0);
    if (!handles.request) return Bytes();
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT}) {
        DWORD timeout = kTimeoutMs;
        InternetSetOptionA(handles.request, option, &timeout, sizeof timeout);
    }

    Text headers = complete_header_block(request_headers ? *request_headers : Text(), url);
    if (verb == "GET") {
        if (request_headers) *request_headers = headers;
        HttpSendRequestA(handles.request, headers.c_str(), static_cast<DWORD>(headers.size()), const_cast<char*>(""), 0);
    } else {
        Text body = request_body ? *request_body : Text();
        if (!body.empty()) {
            headers += "Content-Type: application/x-www-form-urlencoded\r\n";
            headers += "Content-Length: " + to_text(length_of_text(body)) + "\r\n";
        }
        if (request_headers) *request_headers = headers;
        HttpSendRequestA(handles.request, headers.c_str(), static_cast<DWORD>(headers.size()),
                         body.empty() ? nullptr : &body[0], static_cast<DWORD>(body.size()));
    }

    Bytes body = read_body(handles.request);
    if (reply_headers) *reply_headers = raw_reply_headers(handles.request);
    return body;
}

}  // namespace net
