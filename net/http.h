// One HTTP exchange as the translation engines make it: any method, http:// or https://, headers
// and body given whole; the status and body that came back, or why nothing came back.
#pragma once

#include <functional>

#include "runtime/text.h"

namespace net {

using runtime::Bytes;
using runtime::Text;

struct HttpRequest {
    Text method = "GET";
    Text url;      // absolute, http:// or https://
    Text headers;  // lines each ending in CR LF
    Bytes body;
};

struct HttpReply {
    int status = 0;  // 0 when no reply came
    Bytes body;
    unsigned error = 0;  // the system's error code when no reply came
};

using HttpSend = std::function<HttpReply(const HttpRequest& request)>;

// The system's error codes that tell why no reply came.
constexpr unsigned kErrorTimeout = 12002;
constexpr unsigned kErrorCannotConnect = 12029;
bool is_certificate_error(unsigned error);
// A status of the 2xx range: the service did what was asked.
inline bool is_success(int status) { return status >= 200 && status < 300; }

}  // namespace net
