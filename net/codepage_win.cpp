// Conversions through the system: code page 0 (the ANSI code page) and 65001 (UTF-8), flags 0.
#include <windows.h>

#include "net/codepage.h"

namespace net::backend {

namespace {

UINT system_code_page(CodePage code_page) { return code_page == CodePage::ansi ? CP_ACP : CP_UTF8; }

}  // namespace

std::u16string to_utf16(CodePage code_page, const unsigned char* data, size_t size) {
    if (size == 0) return std::u16string();
    auto in = reinterpret_cast<const char*>(data);
    int count = MultiByteToWideChar(system_code_page(code_page), 0, in, static_cast<int>(size), nullptr, 0);
    if (count <= 0) return std::u16string();
    std::u16string units(count, u'\0');
    MultiByteToWideChar(system_code_page(code_page), 0, in, static_cast<int>(size), reinterpret_cast<wchar_t*>(&units[0]),
                        count);
    return units;
}

Text from_utf16(CodePage code_page, const std::u16string& units) {
    size_t count = 0;
    while (count < units.size() && units[count] != 0) ++count;
    if (count == 0) return Text();
    auto in = reinterpret_cast<const wchar_t*>(units.data());
    UINT cp = system_code_page(code_page);
    int size = WideCharToMultiByte(cp, 0, in, static_cast<int>(count), nullptr, 0, nullptr, nullptr);
    if (size <= 0) return Text();
    Text out(size, '\0');
    WideCharToMultiByte(cp, 0, in, static_cast<int>(count), &out[0], size, nullptr, nullptr);
    out.resize(out.find('\0') == Text::npos ? out.size() : out.find('\0'));
    return out;
}

}  // namespace net::backend
