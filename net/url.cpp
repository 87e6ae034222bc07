#include "net/url.h"

#include <climits>

#include "runtime/utf.h"

namespace net {

using namespace runtime;

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

bool has_http_prefix(const Text& url) { return find_text(left_text(url, 7), "http://", std::nullopt, true) == 1; }

Text authority_of(const Text& url) {
    if (has_http_prefix(url)) {
        int slash = find_text(url, "/", 8);
        return slash == -1 ? mid_text(url, 8, length_of_text(url)) : mid_text(url, 8, slash - 8);
    }
    int slash = find_text(url, "/");
    return slash == -1 ? url : left_text(url, slash - 1);
}

bool is_escaped(unsigned char byte) {
    bool punctuation = (byte >= 0x21 && byte <= 0x2F) || (byte >= 0x3A && byte <= 0x40) ||
                       (byte >= 0x5B && byte <= 0x60) || (byte >= 0x7B && byte <= 0x7E);
    return punctuation || byte == '\r' || byte == '\n' || byte == '\t';
}

void append_escape(Text& out, unsigned char byte) {
    out += '%';
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 15];
}

// A character that is no hexadecimal digit counts -2 rather than -1, and the escape's value is still
// computed and kept: "%G1" gives -2 * 16 + 1 = -31, whose low eight bits (E1) are appended. Replies
// with broken escapes decode to the same bytes as they always have.
const int kNotAHexDigit = -2;

int hex_digit_value(const Text& text, size_t index) {
    if (index >= text.size()) return 0;
    char digit = text[index];
    if (digit >= 'a' && digit <= 'z') digit = static_cast<char>(digit - 'a' + 'A');
    for (int value = 0; value < 16; ++value) {
        if (kHexDigits[value] == digit) return value;
    }
    return kNotAHexDigit;
}

}  // namespace

Text url_host(const Text& url) {
    Text authority = authority_of(url);
    int colon = find_text(authority, ":");
    return to_lower(colon == -1 ? authority : left_text(authority, colon - 1));
}

int url_port(const Text& url) {
    Text authority = authority_of(url);
    int colon = find_text(authority, ":");
    Text port_text = colon == -1 ? Text("80") : mid_text(authority, colon + 1, length_of_text(authority));
    double port = to_number(port_text);
    if (port >= INT_MAX) return INT_MAX;
    if (port <= INT_MIN) return INT_MIN;
    return static_cast<int>(port);
}

// The host is looked for after the scheme: a host such as "h" or "t" would otherwise be found
// inside "http://" itself and the path would start at its slashes.
Text url_path(const Text& url) {
    int after_scheme = has_http_prefix(url) ? 8 : 1;
    int host_at = find_text(url, url_host(url), after_scheme, true);
    int slash = find_text(url, "/", host_at == -1 ? after_scheme : host_at);
    return slash == -1 ? Text("/") : mid_text(url, slash, length_of_text(url));
}

Text url_encode(const Text& text) {
    Text out;
    out.reserve(text.size() * 3);
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 || is_escaped(byte)) {
            append_escape(out, byte);
        } else {
            out += c;
        }
    }
    return out;
}

Text percent_encode_component(const Text& text) {
    Text out;
    out.reserve(text.size() * 3);
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                          (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~';
        if (unreserved) {
            out += c;
        } else {
            append_escape(out, byte);
        }
    }
    return out;
}

// What is not UTF-8 after the escapes are decoded becomes U+FFFD.
Text url_decode(const Text& text) {
    Text collected;
    collected.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (text[i] != '%') {
            collected += text[i];
            i += 1;
            continue;
        }
        int value = hex_digit_value(text, i + 1) * 16 + hex_digit_value(text, i + 2);
        if (value != 0) collected += static_cast<char>(value & 0xFF);
        i += 3;
    }
    return valid_utf8(collected);
}

}  // namespace net
