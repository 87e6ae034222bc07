// URL splitting and percent coding between the program's texts and the web.
#pragma once

#include "runtime/text.h"

namespace net {

using runtime::Text;

// Only an "http://" prefix (any letter case) counts as a scheme.
Text url_host(const Text& url);  // lower-case, without port
int url_port(const Text& url);   // 80 when none is named, 0 when the port text is no number
Text url_path(const Text& url);  // from the first "/" after the host, query included; "/" when none

// ASCII punctuation, CR, LF and TAB as %XX; letters, digits and spaces as they are; every other
// character as its UTF-8 bytes, each %XX.
Text url_encode(const Text& text);
// A path segment or query value as RFC 3986 wants it: letters, digits and "-._~" as they are,
// every other byte of the UTF-8 as %XX.
Text percent_encode_component(const Text& text);
// %XX escapes decoded (lower-case digits allowed, %00 dropped, "+" kept); what is then not UTF-8
// becomes U+FFFD.
Text url_decode(const Text& text);

}  // namespace net
