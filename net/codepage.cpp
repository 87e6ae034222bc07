#include "net/codepage.h"

namespace net {

using backend::CodePage;

namespace {

Bytes units_to_bytes(const std::u16string& units) {
    Bytes bytes;
    bytes.reserve(units.size() * 2 + 2);
    for (char16_t unit : units) {
        bytes.push_back(static_cast<unsigned char>(unit & 0xFF));
        bytes.push_back(static_cast<unsigned char>(unit >> 8));
    }
    return bytes;
}

std::u16string bytes_to_units(const Bytes& bytes) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char16_t unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        if (unit == 0) break;
        units.push_back(unit);
    }
    return units;
}

}  // namespace

Bytes ansi_to_utf16(const Text& text) {
    auto units = backend::to_utf16(CodePage::ansi, reinterpret_cast<const unsigned char*>(text.data()), text.size());
    Bytes bytes = units_to_bytes(units);
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

Bytes ansi_to_utf8(const Text& text) {
    auto units = backend::to_utf16(CodePage::ansi, reinterpret_cast<const unsigned char*>(text.data()), text.size());
    Text utf8 = backend::from_utf16(CodePage::utf8, units);
    Bytes bytes(utf8.begin(), utf8.end());
    bytes.push_back(0);
    return bytes;
}

Text utf8_to_ansi(const Bytes& utf8) {
    size_t size = 0;
    while (size < utf8.size() && utf8[size] != 0) ++size;
    return backend::from_utf16(CodePage::ansi, backend::to_utf16(CodePage::utf8, utf8.data(), size));
}

Text utf16_to_ansi(const Bytes& utf16) { return backend::from_utf16(CodePage::ansi, bytes_to_units(utf16)); }

Bytes join_bytes(std::initializer_list<Bytes> parts) {
    Bytes joined;
    for (const Bytes& part : parts) joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

}  // namespace net
