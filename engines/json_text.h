// What the JSON services' readers share: the body as JSON, messages fit for one line, UTF-8 cut
// to a size, base64.
#pragma once

#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>

#include "runtime/text.h"

namespace engines {

// A reply's body as JSON; a discarded value (is_discarded()) when it is not JSON, never an exception.
nlohmann::json parse_json(const runtime::Bytes& body);

// A service's message made fit for one line of the result box: line breaks and tabs as spaces, at
// most kMessageBytes bytes, cut at a character boundary.
runtime::Text one_line_message(const std::string& utf8);
constexpr size_t kMessageBytes = 300;

// The bytes the text takes as a JSON string, quotes and escapes included.
size_t json_string_size(const std::string& utf8);

// At most that many bytes of UTF-8, cut before a character that would not fit whole.
std::string cut_utf8(const std::string& utf8, size_t max_bytes);
// The bytes of standard base64 (padding optional, whitespace ignored); nothing when it is not base64.
std::optional<runtime::Bytes> decode_base64(const std::string& text);

}  // namespace engines
