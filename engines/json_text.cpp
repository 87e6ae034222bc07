#include "engines/json_text.h"

#include "net/codepage.h"

namespace engines {

using runtime::Text;

std::string to_utf8(const Text& text) {
    runtime::Bytes utf8 = net::ansi_to_utf8(text);
    return std::string(utf8.begin(), utf8.end() - 1);  // without the terminating zero
}

Text from_utf8(const std::string& utf8) { return net::utf8_to_ansi(runtime::Bytes(utf8.begin(), utf8.end())); }

Text one_line_message(const std::string& utf8) {
    Text message = from_utf8(utf8);
    for (char& c : message) {
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    }
    size_t end = 0;
    while (end < message.size()) {
        size_t next = end + (runtime::is_lead_byte(static_cast<unsigned char>(message[end])) ? 2 : 1);
        if (next > kMessageBytes || next > message.size()) break;
        end = next;
    }
    message.resize(end);
    size_t first = message.find_first_not_of(' ');
    return first == Text::npos ? Text() : message.substr(first, message.find_last_not_of(' ') - first + 1);
}

}  // namespace engines
