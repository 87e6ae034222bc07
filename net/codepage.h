// Conversions between the system's ANSI code page (936 here), UTF-16 and UTF-8.
#pragma once

#include "runtime/text.h"

namespace net {

using runtime::Bytes;
using runtime::Text;

// UTF-16LE units followed by one zero unit; an empty text gives two zero bytes.
Bytes ansi_to_utf16(const Text& text);
// UTF-8 bytes followed by one zero byte; an empty text gives a single zero byte.
Bytes ansi_to_utf8(const Text& text);
// Converts up to the first zero byte; what the code page cannot hold becomes its default character.
Text utf8_to_ansi(const Bytes& utf8);
Text utf16_to_ansi(const Bytes& utf16);
Bytes join_bytes(std::initializer_list<Bytes> parts);

namespace backend {
enum class CodePage { ansi, utf8 };
// The two platform primitives: bytes of a code page to UTF-16 units (no terminator added) and
// UTF-16 units, up to the first zero unit, to bytes of a code page.
std::u16string to_utf16(CodePage code_page, const unsigned char* data, size_t size);
Text from_utf16(CodePage code_page, const std::u16string& units);
}  // namespace backend

}  // namespace net
