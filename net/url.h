// URL splitting and percent coding between the program's GBK texts and the web.
#pragma once

#include "runtime/text.h"

namespace net {

using runtime::Text;

// Only an "http://" prefix (any letter case) counts as a scheme.
Text url_host(const Text& url);  // lower-case, without port
int url_port(const Text& url);   // 80 when none is named, 0 when the port text is no number
Text url_path(const Text& url);  // from the first "/" after the host, query included; "/" when none

// ASCII punctuation, CR, LF and TAB as %XX; letters, digits and spaces as they are; each GBK
// character as its UTF-8 bytes, each %XX.
Text url_encode(const Text& text);
// %XX escapes decoded (lower-case digits allowed, %00 dropped, "+" kept), then UTF-8 to GBK.
Text url_decode(const Text& text);

}  // namespace net
