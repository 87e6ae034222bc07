// The native build's conversion backend: glibc iconv with CP936 standing in for the ANSI code page.
// For valid input it gives the bytes that MultiByteToWideChar and WideCharToMultiByte give.
#include <iconv.h>

#include "net/codepage.h"

namespace net::backend {

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts what it can, appending to out; returns the input bytes consumed. Stops at an invalid
    // or incomplete sequence. No conversion here makes more than two output bytes per input byte
    // plus a little, so out is grown once.
    size_t run(const char* in, size_t size, std::string& out) {
        char* in_ptr = const_cast<char*>(in);
        size_t in_left = size;
        size_t used = out.size();
        out.resize(used + size * 2 + 16);
        char* out_ptr = &out[used];
        size_t out_left = out.size() - used;
        iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left);
        out.resize(out_ptr - out.data());
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        return size - in_left;
    }

private:
    iconv_t cd_;
};

void append_unit(std::u16string& units, const std::string& utf16le, size_t at) {
    units.push_back(static_cast<char16_t>(static_cast<unsigned char>(utf16le[at]) |
                                          (static_cast<unsigned char>(utf16le[at + 1]) << 8)));
}

// iconv descriptors are costly to open and not shareable between threads: one of each per thread.
Converter& converter_for(CodePage code_page, bool to_unicode) {
    thread_local Converter ansi_in("UTF-16LE", "CP936"), utf8_in("UTF-16LE", "UTF-8");
    thread_local Converter ansi_out("CP936", "UTF-16LE"), utf8_out("UTF-8", "UTF-16LE");
    if (to_unicode) return code_page == CodePage::ansi ? ansi_in : utf8_in;
    return code_page == CodePage::ansi ? ansi_out : utf8_out;
}

}  // namespace

std::u16string to_utf16(CodePage code_page, const unsigned char* data, size_t size) {
    Converter& converter = converter_for(code_page, true);
    std::u16string units;
    units.reserve(size);
    const char* in = reinterpret_cast<const char*>(data);
    size_t at = 0;
    std::string utf16le;
    while (at < size) {
        utf16le.clear();
        at += converter.run(in + at, size - at, utf16le);
        for (size_t i = 0; i + 1 < utf16le.size(); i += 2) append_unit(units, utf16le, i);
        if (at < size) {
            // An invalid or cut-off sequence: one replacement character, then go on after its first byte
            // (or, for a code page 936 lead byte, after the pair).
            units.push_back(code_page == CodePage::ansi ? u'?' : u'\xFFFD');
            at += (code_page == CodePage::ansi && data[at] >= 0x81 && at + 1 < size) ? 2 : 1;
        }
    }
    return units;
}

Text from_utf16(CodePage code_page, const std::u16string& units) {
    Converter& converter = converter_for(code_page, false);
    size_t count = 0;
    while (count < units.size() && units[count] != 0) ++count;
    std::string in;
    in.reserve(count * 2);
    for (size_t i = 0; i < count; ++i) {
        in.push_back(static_cast<char>(units[i] & 0xFF));
        in.push_back(static_cast<char>(units[i] >> 8));
    }
    Text out;
    size_t at = 0;
    while (at < in.size()) {
        at += converter.run(in.data() + at, in.size() - at, out);
        if (at < in.size()) {
            // A character the code page cannot hold (or a lone surrogate): the default character.
            out += code_page == CodePage::ansi ? "?" : "\xEF\xBF\xBD";
            unsigned unit = static_cast<unsigned char>(in[at]) | (static_cast<unsigned char>(in[at + 1]) << 8);
            bool pair = unit >= 0xD800 && unit < 0xDC00 && at + 3 < in.size();
            at += pair ? 4 : 2;
        }
    }
    return out;
}

}  // namespace net::backend
