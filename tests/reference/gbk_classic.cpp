// The classic GBK code, copied from the program as it stood before it became a Unicode program.
// Only its Chinese literals are written as GBK escapes, so that it keeps its bytes in a UTF-8 build.
#include "tests/reference/gbk_classic.h"

#include <iconv.h>

#include <algorithm>
#include <cstring>

namespace gbk_classic {

namespace {

const char kFullWidthComma[] = "\xA3\xAC";               // ，
const char kFullWidthPeriod[] = "\xA1\xA3";              // 。
const char kDictionaryHeading[] = "\xD7\xD6\xB5\xE4: ";  // 字典:
const char kQuote[] = "\"";
const char kHexDigits[] = "0123456789ABCDEF";
const char kBrowserPath[] = "C:\\Program Files\\Internet Explorer\\iexplore.exe";

// ---- code page conversion (glibc iconv standing in for MultiByteToWideChar / WideCharToMultiByte)

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    // Converts what it can into out; returns the input bytes consumed.
    size_t run(const char* in, size_t size, std::string& out) {
        char* in_ptr = const_cast<char*>(in);
        size_t in_left = size;
        size_t used = out.size();
        out.resize(used + size * 4 + 16);
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

// UTF-8 to GBK: what GBK cannot hold becomes '?', an invalid UTF-8 byte also '?'.
Text utf8_to_gbk(const std::string& utf8) {
    thread_local Converter converter("CP936", "UTF-8");
    Text out;
    size_t at = 0;
    while (at < utf8.size()) {
        at += converter.run(utf8.data() + at, utf8.size() - at, out);
        if (at >= utf8.size()) break;
        out += '?';
        unsigned char lead = static_cast<unsigned char>(utf8[at]);
        size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        size_t next = at + 1;
        while (next < utf8.size() && next < at + length && (static_cast<unsigned char>(utf8[next]) & 0xC0) == 0x80)
            ++next;
        at = next;
    }
    return out;
}

std::string gbk_to_utf8(const Text& gbk) {
    thread_local Converter converter("UTF-8", "CP936");
    std::string out;
    size_t at = 0;
    while (at < gbk.size()) {
        at += converter.run(gbk.data() + at, gbk.size() - at, out);
        if (at >= gbk.size()) break;
        out += "\xEF\xBF\xBD";
        at += (static_cast<unsigned char>(gbk[at]) >= 0x81 && at + 1 < gbk.size()) ? 2 : 1;
    }
    return out;
}

// ---- text operations: positions 1-based, scanning steps over double-byte characters

bool is_lead_byte(unsigned char byte) { return byte >= 0x80; }
unsigned char byte_at(const Text& text, size_t i) { return static_cast<unsigned char>(text[i]); }
int length_of_text(const Text& text) { return static_cast<int>(text.size()); }

size_t next_char(const Text& text, size_t i) {
    if (!is_lead_byte(byte_at(text, i))) return i + 1;
    return i + 1 < text.size() ? i + 2 : text.size();
}

Text mid_text(const Text& text, int start, int n) {
    int length = length_of_text(text);
    if (start < 1 || start > length || n <= 0) return Text();
    return text.substr(start - 1, std::min(n, length - start + 1));
}

int find_text(const Text& text, const Text& search, std::optional<int> start = std::nullopt) {
    int from = std::max(start.value_or(1), 1);
    if (from > length_of_text(text)) return -1;
    if (search.empty()) return 1;
    size_t i = from - 1;
    while (text.size() - i >= search.size()) {
        if (std::memcmp(text.data() + i, search.data(), search.size()) == 0) return static_cast<int>(i) + 1;
        if (is_lead_byte(byte_at(text, i)) && i + 1 >= text.size()) return -1;
        i = next_char(text, i);
    }
    return -1;
}

struct Span {
    size_t begin;
    size_t end;
};

template <typename OnPiece>
void for_each_piece(const Text& text, const Text& delimiter, size_t begin, size_t end, OnPiece on_piece) {
    if (end > text.size()) end = text.size();
    if (begin >= end) return;
    if (delimiter.empty()) {
        on_piece(Span{begin, end});
        return;
    }
    size_t piece_start = begin;
    size_t i = begin;
    while (i < end) {
        if (text[i] == delimiter[0] && end - i >= delimiter.size() &&
            text.compare(i, delimiter.size(), delimiter) == 0) {
            if (!on_piece(Span{piece_start, i})) return;
            i += delimiter.size();
            piece_start = i;
        } else {
            i = (is_lead_byte(static_cast<unsigned char>(text[i])) && i + 1 < end) ? i + 2 : i + 1;
        }
    }
    if (piece_start < end) on_piece(Span{piece_start, end});
}

std::vector<Text> split_text(const Text& text, const Text& delimiter) {
    std::vector<Text> pieces;
    for_each_piece(text, delimiter, 0, text.size(), [&](Span span) {
        pieces.push_back(text.substr(span.begin, span.end - span.begin));
        return true;
    });
    return pieces;
}

size_t skip_leading_spaces(const Text& text, size_t begin, size_t end) {
    end = std::min(end, text.size());
    size_t i = begin;
    while (i < end) {
        if (text[i] == ' ') {
            i += 1;
        } else if (i + 1 < end && byte_at(text, i) == 0xA1 && byte_at(text, i + 1) == 0xA1) {
            i += 2;
        } else {
            break;
        }
    }
    return i;
}

Text replace_span(const Text& text, int start, int n) {
    int length = length_of_text(text);
    int at = std::clamp(start, 1, length + 1);
    int removed = n <= 0 ? 0 : std::min(n, length - at + 1);
    return text.substr(0, at - 1) + text.substr(at - 1 + removed);
}

int code_of_char(const Text& text, int at) {
    if (at < 1 || at > length_of_text(text)) return 0;
    return static_cast<signed char>(text[at - 1]);
}

// ---- percent coding

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

int hex_digit_value(const Text& text, size_t index) {
    if (index >= text.size()) return 0;
    char digit = text[index];
    if (digit >= 'a' && digit <= 'z') digit = static_cast<char>(digit - 'a' + 'A');
    for (int value = 0; value < 16; ++value) {
        if (kHexDigits[value] == digit) return value;
    }
    return -2;
}

// ---- the translation algorithm

void join_clause_ends(Text& text) {
    Text joined;
    size_t copied = 0;
    for (int at = find_text(text, ",."); at != -1; at = find_text(text, ",.", static_cast<int>(copied) + 1)) {
        joined.append(text, copied, at - 1 - copied);
        joined += '.';
        copied = at + 1;
    }
    joined.append(text, copied, Text::npos);
    text = joined;
}

Text piece_of(const Text& text, Span span) { return text.substr(span.begin, span.end - span.begin); }

void translate_sentence(const Text& text, Span sentence, const PieceTranslator& translate_piece, Text& result) {
    for_each_piece(text, kFullWidthComma, sentence.begin, sentence.end, [&](Span clause) {
        result += translate_piece(piece_of(text, clause), false);
        result += ',';
        return true;
    });
    result += '.';
}

void translate_line(const Text& text, Span line, const PieceTranslator& translate_piece, Text& result) {
    for_each_piece(text, kFullWidthPeriod, line.begin, line.end, [&](Span sentence) {
        sentence.begin = skip_leading_spaces(text, sentence.begin, sentence.end);
        if (sentence.begin < sentence.end) translate_sentence(text, sentence, translate_piece, result);
        return true;
    });
    result += "\r\n";
}

template <typename Replace>
Text replace_ascii(const Text& text, char wanted, Replace replace) {
    Text result;
    size_t copied = 0;
    for (size_t i = 0; i < text.size();) {
        unsigned char byte = static_cast<unsigned char>(text[i]);
        if (byte == static_cast<unsigned char>(wanted)) {
            result.append(text, copied, i - copied);
            replace(result, i);
            copied = ++i;
        } else {
            i += is_lead_byte(byte) ? 2 : 1;
        }
    }
    result.append(text, copied, Text::npos);
    return result;
}

std::optional<Text> translate_lines(const Text& text, const PieceTranslator& translate_piece) {
    Text result;
    std::optional<Span> single_line;
    bool several_lines = false;
    int held_empty_lines = 0;
    for_each_piece(text, "\r\n", 0, text.size(), [&](Span line) {
        if (line.begin == line.end) {
            ++held_empty_lines;
        } else if (line.begin == 0) {
            single_line = line;
        } else {
            several_lines = true;
            if (single_line) translate_line(text, *single_line, translate_piece, result);
            single_line.reset();
            for (; held_empty_lines > 0; --held_empty_lines) result += "\r\n";
            translate_line(text, line, translate_piece, result);
        }
        return true;
    });
    if (single_line) return translate_piece(piece_of(text, *single_line), true);
    if (!several_lines) return std::nullopt;
    join_clause_ends(result);
    return result;
}

// ---- reply cutting

Text part_of_speech(const Text& entry, int& b) {
    int a = find_text(entry, kQuote) + 1;
    b = find_text(entry, kQuote, a);
    return mid_text(entry, a, b - a);
}

Text words_of(const Text& entry, int b) {
    int n = static_cast<int>(split_text(entry, ",").size()) - 1;
    Text words;
    for (int i = 1; i <= n; ++i) {
        int a = find_text(entry, kQuote, b + 1) + 1;
        b = find_text(entry, kQuote, a);
        Text word = mid_text(entry, a, b - a);
        words += n != 1 ? std::to_string(i) + "." + word + "  " : word;
    }
    return words;
}

Text heading_and_words(const Text& entry) {
    int b = 0;
    Text pos = part_of_speech(entry, b);
    return (pos.empty() ? Text(kDictionaryHeading) : pos + ": ") + words_of(entry, b);
}

Text dictionary_of(const Text& reply, const Text& source_language_code) {
    if (find_text(reply, "]],,\"" + source_language_code + "\"") != -1) return Text();
    int p2 = find_text(reply, "]],") + 3;
    int q2 = find_text(reply, "]],\"", p2);
    Text section = mid_text(reply, p2, q2 - p2);
    if (find_text(section, "]],[") == -1) return heading_and_words(section);
    Text dictionary;
    for (const Text& entry : split_text(section, "]],[")) dictionary += heading_and_words(entry) + "\r\n\r\n";
    return dictionary;
}

Text without_early_prefix(const Text& address, const Text& prefix) {
    int at = find_text(address, prefix);
    if (at < 1 || at > 10) return address;
    return replace_span(address, at, length_of_text(prefix));
}

}  // namespace

Text to_gbk(const std::string& utf8) { return utf8_to_gbk(utf8); }
std::string to_utf8(const Text& gbk) { return gbk_to_utf8(gbk); }
bool gbk_can_hold(const std::string& utf8) { return gbk_to_utf8(utf8_to_gbk(utf8)) == utf8; }

Text url_encode(const Text& text) {
    Text out;
    for (size_t i = 0; i < text.size();) {
        unsigned char byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            if (is_escaped(byte)) {
                append_escape(out, byte);
            } else {
                out += static_cast<char>(byte);
            }
            i += 1;
        } else {
            for (unsigned char utf8_byte : gbk_to_utf8(text.substr(i, 2))) append_escape(out, utf8_byte);
            i += 2;
        }
    }
    return out;
}

Text url_decode(const Text& text) {
    std::string collected;
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
    return utf8_to_gbk(collected.substr(0, collected.find('\0')));
}

Text translation_url(const Text& host, const Text& piece, const Text& source_code, const Text& target_code) {
    return "http://" + host + "/translate_a/t?client=t&text=" + url_encode(piece) + "&hl=zh-CN&sl=" + source_code +
           "&tl=" + target_code + "&multires=1&otf=2&ssel=0&tsel=0&sc=1";
}

Text speech_url(const Text& host, const Text& text, const Text& language_code) {
    return "http://" + host + "/translate_tts?ie=UTF-8&q=" + url_encode(text) + "&tl=" + language_code;
}

Text comma_pass(const Text& text) {
    return replace_ascii(text, ',', [](Text& result, size_t) { result += kFullWidthComma; });
}

Text period_pass(const Text& text) {
    return replace_ascii(text, '.', [&](Text& result, size_t i) {
        int before = code_of_char(result, length_of_text(result));
        int after = code_of_char(text, static_cast<int>(i) + 2);
        result += (before > 0 && after > 0) ? Text(".") : Text(kFullWidthPeriod);
    });
}

std::optional<Text> translate_text(const Text& source, const PieceTranslator& translate_piece) {
    return translate_lines(period_pass(comma_pass(source)), translate_piece);
}

LanguagePair recognise_languages(const Text& source, LanguagePair current) {
    if (source.empty()) return current;
    bool double_byte = static_cast<unsigned char>(source[0]) >= 127;
    LanguagePair pair = current;
    if (double_byte) {
        pair.source = 0;
        if (current.target == 0) pair.target = 2;
    } else {
        pair.source = 2;
        if (current.target == 2) pair.target = 0;
    }
    return pair;
}

Text cut_translation(const Text& reply) {
    int p = find_text(reply, "[[[") + 3;
    int q = find_text(reply, "]],", p);
    Text translation;
    for (const Text& entry : split_text(mid_text(reply, p, q - p), "],[")) {
        int a = find_text(entry, kQuote) + 1;
        int b = find_text(entry, "\",\"");
        translation += mid_text(entry, a, b - a);
    }
    return translation;
}

Text cut_translation_with_dictionary(const Text& reply, const Text& source_language_code) {
    Text translation = cut_translation(reply);
    Text dictionary = dictionary_of(reply, source_language_code);
    return dictionary.empty() ? translation : translation + "\r\n\r\n" + dictionary;
}

Text result_text_to_speak(const Text& result) {
    std::vector<Text> lines = split_text(result, "\r\n");
    return lines.empty() ? Text() : lines[0];
}

Text source_text_to_speak(const Text& source) {
    Text text;
    for (const Text& line : split_text(source, "\r\n")) {
        if (!line.empty()) text += line + kFullWidthPeriod;
    }
    return text;
}

Text web_page_url(const Text& host, const Text& address, const Text& language_code) {
    if (address.empty()) return "http://" + host + "/?hl=zh-CN#";
    Text rest = without_early_prefix(without_early_prefix(address, "http://"), "HTTP://");
    return "http://" + host + "/translate?hl=zh-CN&sl=" + language_code + "&u=http://" + rest;
}

Text browser_command_line(const Text& url) { return "\"" + Text(kBrowserPath) + "\" " + url; }

}  // namespace gbk_classic
