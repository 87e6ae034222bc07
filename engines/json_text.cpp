#include "engines/json_text.h"

#include <nlohmann/json.hpp>

#include "runtime/utf.h"

namespace engines {

using runtime::Text;

nlohmann::json parse_json(const runtime::Bytes& body) {
    return nlohmann::json::parse(body.begin(), body.end(), nullptr, false);
}

size_t json_string_size(const std::string& utf8) {
    return nlohmann::json(utf8).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).size();
}

Text one_line_message(const std::string& utf8) {
    Text message = runtime::valid_utf8(utf8);
    for (char& c : message) {
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    }
    message = cut_utf8(message, kMessageBytes);
    size_t first = message.find_first_not_of(' ');
    return first == Text::npos ? Text() : message.substr(first, message.find_last_not_of(' ') - first + 1);
}

std::string cut_utf8(const std::string& utf8, size_t max_bytes) {
    if (utf8.size() <= max_bytes) return utf8;
    size_t end = max_bytes;
    auto continuation = [&](size_t at) { return (static_cast<unsigned char>(utf8[at]) & 0xC0) == 0x80; };
    while (end > 0 && continuation(end)) --end;
    return utf8.substr(0, end);
}

std::optional<runtime::Bytes> decode_base64(const std::string& text) {
    static const std::string kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    runtime::Bytes bytes;
    unsigned bits = 0;
    int bit_count = 0;
    size_t padding = 0;
    for (char c : text) {
        if (c == '\r' || c == '\n' || c == ' ') continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        size_t value = kAlphabet.find(c);
        if (value == std::string::npos || padding > 0) return std::nullopt;
        bits = (bits << 6) | static_cast<unsigned>(value);
        bit_count += 6;
        if (bit_count >= 8) {
            bit_count -= 8;
            bytes.push_back(static_cast<unsigned char>((bits >> bit_count) & 0xFF));
        }
    }
    if (padding > 2 || bit_count >= 6) return std::nullopt;
    return bytes;
}

}  // namespace engines
