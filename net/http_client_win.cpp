#include "net/http_client.h"
#include "net/url.h"
#include "net/wininet_win.h"
#include "runtime/system.h"
#include "runtime/utf.h"

namespace net {

using namespace runtime;

namespace {

const char kAcceptLine[] =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";
const char kLanguageLine[] = "Accept-Language: zh-cn\r\n";
const DWORD kTimeoutMs = 18000;
const DWORD kReadChunk = 512;
const DWORD kReplyHeaderBuffer = 1024;

// The three handles of one request. Members are destroyed in reverse order, so the session is
// closed first, then the connection, then the request: the order this client has always used.
struct RequestHandles {
    InternetHandle request;
    InternetHandle connection;
    InternetHandle session;
};

Text complete_header_block(Text headers, const Text& url) {
    if (find_text(headers, "Accept: ", 1, true) == -1) headers += kAcceptLine;
    if (find_text(headers, "Referer: ", 1, true) == -1) headers += "Referer: " + url + "\r\n";
    if (find_text(headers, "Accept-Language: ", 1, true) == -1) headers += kLanguageLine;
    return headers;
}

// Header lines are ASCII: a buffer of 1,024 characters takes what 1,024 bytes always took.
Text raw_reply_headers(HINTERNET request) {
    wchar_t buffer[kReplyHeaderBuffer];
    std::fill(buffer, buffer + kReplyHeaderBuffer, L' ');
    DWORD length = sizeof buffer;
    HttpQueryInfoW(request, HTTP_QUERY_RAW_HEADERS_CRLF, buffer, &length, nullptr);
    std::wstring_view text(buffer, kReplyHeaderBuffer);
    return runtime::narrow(text.substr(0, text.find(L'\0')));
}

}  // namespace

Bytes http_request(const Text& url, Text* method, const Text* proxy, Text* request_headers, const Text* request_body,
                   Text* reply_headers, int* status) {
    if (status) *status = 0;
    RequestHandles handles;
    handles.session = open_session(proxy);
    if (!handles.session) return Bytes();
    handles.connection = connect(handles.session.get(), url_host(url), url_port(url), "", "");
    if (!handles.connection) return Bytes();

    Text verb = method ? *method : Text();
    if (to_upper(verb) != "POST") verb = "GET";
    if (method) *method = verb;
    handles.request = open_request(handles.connection.get(), verb, url_path(url), L"HTTP/1.1", INTERNET_FLAG_RELOAD);
    if (!handles.request) return Bytes();
    set_timeouts(handles.request.get(), kTimeoutMs);

    Text headers = complete_header_block(request_headers ? *request_headers : Text(), url);
    if (verb == "GET") {
        if (request_headers) *request_headers = headers;
        send_request(handles.request.get(), headers, "", 0);
    } else {
        Text body = request_body ? *request_body : Text();
        if (!body.empty()) {
            headers += "Content-Type: application/x-www-form-urlencoded\r\n";
            headers += "Content-Length: " + to_text(length_of_text(body)) + "\r\n";
        }
        if (request_headers) *request_headers = headers;
        send_request(handles.request.get(), headers, body.empty() ? nullptr : body.data(), body.size());
    }

    // The window keeps answering while a request runs on its thread.
    Bytes body = read_body(handles.request.get(), kReadChunk, process_events);
    if (reply_headers) *reply_headers = raw_reply_headers(handles.request.get());
    if (status) *status = reply_status(handles.request.get());
    return body;
}

}  // namespace net
