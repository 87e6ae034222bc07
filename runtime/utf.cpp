#include "runtime/utf.h"

namespace runtime {

namespace {

const char32_t kReplacement = 0xFFFD;

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Decodes the character at data[i], advancing i past it. An ill-formed sequence gives U+FFFD and
// advances past its maximal valid prefix only, as Unicode recommends, so that a good character
// right after a broken one is kept.
char32_t decode(const unsigned char* data, size_t size, size_t& i) {
    unsigned char lead = data[i];
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    size_t length;
    char32_t value;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;   // no overlong forms
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;  // nothing beyond U+10FFFF
    } else {
        ++i;
        return kReplacement;
    }
    size_t at = i + 1;
    for (size_t k = 1; k < length; ++k, ++at) {
        unsigned char byte = at < size ? data[at] : 0;
        bool fits = k == 1 ? (byte >= low && byte <= high) : is_continuation(byte);
        if (at >= size || !fits) {
            i = at;
            return kReplacement;
        }
        value = (value << 6) | (byte & 0x3F);
    }
    i = at;
    return value;
}

template <typename Unit>
void append_utf16(std::basic_string<Unit>& out, char32_t value) {
    if (value < 0x10000) {
        out.push_back(static_cast<Unit>(value));
    } else {
        value -= 0x10000;
        out.push_back(static_cast<Unit>(0xD800 + (value >> 10)));
        out.push_back(static_cast<Unit>(0xDC00 + (value & 0x3FF)));
    }
}

void append_utf8(std::string& out, char32_t value) {
    if (value < 0x80) {
        out.push_back(static_cast<char>(value));
    } else if (value < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (value >> 6)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    } else if (value < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (value >> 12)));
        out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (value >> 18)));
        out.push_back(static_cast<char>(0x80 | ((value >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    }
}

template <typename Unit>
std::basic_string<Unit> to_utf16(std::string_view utf8) {
    std::basic_string<Unit> out;
    out.reserve(utf8.size());
    auto data = reinterpret_cast<const unsigned char*>(utf8.data());
    size_t size = utf8.size();
    for (size_t i = 0; i < size;) {
        if (data[i] < 0x80) {
            out.push_back(static_cast<Unit>(data[i++]));
        } else {
            append_utf16(out, decode(data, size, i));
        }
    }
    return out;
}

template <typename Unit>
std::string from_utf16(const Unit* data, size_t size) {
    std::string out;
    out.reserve(size + size / 2);
    for (size_t i = 0; i < size; ++i) {
        char32_t unit = static_cast<char16_t>(data[i]);
        if (unit < 0x80) {
            out.push_back(static_cast<char>(unit));
            continue;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < size) {
            char32_t next = static_cast<char16_t>(data[i + 1]);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                append_utf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                ++i;
                continue;
            }
        }
        append_utf8(out, unit >= 0xD800 && unit <= 0xDFFF ? kReplacement : unit);
    }
    return out;
}

}  // namespace

std::u16string utf8_to_utf16(std::string_view utf8) { return to_utf16<char16_t>(utf8); }

std::string utf16_to_utf8(std::u16string_view utf16) { return from_utf16(utf16.data(), utf16.size()); }

bool is_valid_utf8(std::string_view bytes) {
    auto data = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t i = 0; i < bytes.size();) {
        if (data[i] < 0x80) {
            ++i;
            continue;
        }
        size_t start = i;
        if (decode(data, bytes.size(), i) == kReplacement &&
            !(i - start == 3 && bytes.compare(start, 3, "\xEF\xBF\xBD") == 0)) {
            return false;
        }
    }
    return true;
}

std::string valid_utf8(std::string_view bytes) {
    if (is_valid_utf8(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + 8);
    auto data = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t i = 0; i < bytes.size();) append_utf8(out, decode(data, bytes.size(), i));
    return out;
}

char32_t code_point_at(std::string_view utf8, size_t& i) {
    return decode(reinterpret_cast<const unsigned char*>(utf8.data()), utf8.size(), i);
}

std::string utf8_of(char32_t code_point) {
    std::string out;
    bool valid = code_point <= 0x10FFFF && !(code_point >= 0xD800 && code_point <= 0xDFFF);
    append_utf8(out, valid ? code_point : kReplacement);
    return out;
}

#ifdef _WIN32
std::wstring wide(std::string_view utf8) { return to_utf16<wchar_t>(utf8); }
std::string narrow(std::wstring_view utf16) { return from_utf16(utf16.data(), utf16.size()); }
std::string narrow(const wchar_t* utf16, size_t length) { return from_utf16(utf16, length); }
#endif

}  // namespace runtime
