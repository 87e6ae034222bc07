// The one owner of WinInet sessions and handles. Every request of the program opens its session,
// connection and request here and reads its body with read_body.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstdint>

#include "runtime/handle.h"
#include "runtime/text.h"

namespace net {

struct InternetHandleTraits {
    using Value = HINTERNET;
    static HINTERNET empty() { return nullptr; }
    static void close(HINTERNET handle) { InternetCloseHandle(handle); }
};
using InternetHandle = runtime::Handle<InternetHandleTraits>;

// A session for one request: direct, or through the proxy as "http=" and the proxy's address. The
// proxy name and bypass list are empty texts, not null.
InternetHandle open_session(const runtime::Text* proxy);
// The session kept for the life of the process, opened at the first call: direct, with no proxy
// name and no bypass list.
HINTERNET process_session();
// The session of the translation engines, kept for the life of the process so that requests to
// the same service reuse their connection; it takes the system's proxy settings.
HINTERNET engine_session();

InternetHandle connect(HINTERNET session, const runtime::Text& host, int port, const runtime::Text& user,
                       const runtime::Text& password);
InternetHandle open_request(HINTERNET connection, const runtime::Text& verb, const runtime::Text& path,
                            const wchar_t* version, DWORD flags);
// Sends the header block (lines each ending in CR LF) and the body; false when the send failed.
bool send_request(HINTERNET request, const runtime::Text& headers, const void* body = nullptr, size_t body_size = 0);
// The reply's status code; 0 when no reply came.
int reply_status(HINTERNET request);
// The connect, receive and send time-outs of one request; a failure to set one is ignored.
void set_timeouts(HINTERNET request, DWORD milliseconds);

// Every byte of the body, in reads of up to chunk_size bytes until a read gives 0 bytes or fails,
// or until at least `largest` bytes have come. before_each_read, when given, runs before every read.
runtime::Bytes read_body(HINTERNET request, DWORD chunk_size, void (*before_each_read)() = nullptr,
                         size_t largest = SIZE_MAX);

}  // namespace net
