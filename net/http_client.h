// The HTTP clients: the classic translation request, and the engines' requests (WinInet).
#pragma once

#include "net/http.h"
#include "runtime/text.h"

namespace net {

using runtime::Bytes;
using runtime::Text;

// Makes one request and returns the reply body as received; empty when nothing could be fetched.
// Optional arguments are absent when null. The method is normalised in place ("POST" in any letter
// case is kept, anything else becomes "GET"); the request headers receive the whole header block
// that was sent; the reply headers, when asked for, receive the raw header lines; the status, when
// asked for, receives the reply's status code, 0 when no reply came.
Bytes http_request(const Text& url, Text* method = nullptr, const Text* proxy = nullptr,
                   Text* request_headers = nullptr, const Text* request_body = nullptr, Text* reply_headers = nullptr,
                   int* status = nullptr);

// One request of a translation engine: the method, headers and body as given, over TLS for https://
// with the certificate checked; redirects are not followed. A reply larger than kLargestReply is
// cut there (and so will not read as the service's format).
HttpReply http_send(const HttpRequest& request);
constexpr size_t kLargestReply = 16u << 20;

}  // namespace net
