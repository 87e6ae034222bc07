// The one pair of conversions between the program's texts (UTF-8 in std::string) and the UTF-16
// that every Win32 call takes. What cannot be converted (invalid UTF-8, an unpaired surrogate)
// becomes U+FFFD: nothing is dropped and nothing is cut short.
#pragma once

#include <string>
#include <string_view>

namespace runtime {

std::u16string utf8_to_utf16(std::string_view utf8);
std::string utf16_to_utf8(std::u16string_view utf16);
// The text with every invalid UTF-8 sequence replaced by U+FFFD; valid text comes back unchanged.
std::string valid_utf8(std::string_view bytes);
bool is_valid_utf8(std::string_view bytes);

// The character at byte index i of valid UTF-8 and the index after it; U+FFFD for a broken one.
char32_t code_point_at(std::string_view utf8, size_t& i);
// A code point as UTF-8 (U+FFFD for a surrogate or a value beyond U+10FFFF).
std::string utf8_of(char32_t code_point);

#ifdef _WIN32
// The same conversions with the Windows wide string, for the W entry points.
std::wstring wide(std::string_view utf8);
std::string narrow(std::wstring_view utf16);
std::string narrow(const wchar_t* utf16, size_t length);
#endif

}  // namespace runtime
