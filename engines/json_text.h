// Between the program's GBK texts and the UTF-8 that JSON services speak.
#pragma once

#include <string>

#include "runtime/text.h"

namespace engines {

// UTF-8 bytes of a GBK text, without a terminating zero.
std::string to_utf8(const runtime::Text& text);
runtime::Text from_utf8(const std::string& utf8);
// A service's message made fit for one line of the result box: GBK, line breaks and tabs as
// spaces, at most kMessageBytes bytes, cut at a character boundary.
runtime::Text one_line_message(const std::string& utf8);
constexpr size_t kMessageBytes = 300;

}  // namespace engines
