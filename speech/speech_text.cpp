#include "speech/speech_text.h"

namespace speech {

using namespace runtime;

const char kBrowserPath[] = "C:\\Program Files\\Internet Explorer\\iexplore.exe";

namespace {

const int kLatestPrefixColumn = 10;

// The column a byte of the text stands at, counting an ASCII character as one and any other as
// two: the width every character beyond ASCII has in the Chinese code page, where this rule was
// first a count of bytes.
int column_of(const Text& text, size_t index) {
    int column = 1;
    for (size_t i = 0; i < index; i = next_char_index(text, i, index)) {
        column += static_cast<unsigned char>(text[i]) < 0x80 ? 1 : 2;
    }
    return column;
}

// Removes the prefix once when it starts within the first ten columns.
Text without_early_prefix(const Text& address, const Text& prefix) {
    int at = find_text(address, prefix);
    if (at < 1 || column_of(address, at - 1) > kLatestPrefixColumn) return address;
    return replace_span(address, at, length_of_text(prefix));
}

}  // namespace

Text result_text_to_speak(const Text& result) {
    Texts lines = split_text(result, Text("\r\n"));
    return lines.empty() ? Text() : lines[0];
}

Text source_text_to_speak(const Text& source) {
    Text text;
    for (const Text& line : split_text(source, Text("\r\n"))) {
        if (!line.empty()) text += line + "。";
    }
    return text;
}

Text web_page_url(const Text& host, const Text& address, const Text& language_code) {
    if (address.empty()) return "http://" + host + "/?hl=zh-CN#";
    Text rest = without_early_prefix(without_early_prefix(address, "http://"), "HTTP://");
    return "http://" + host + "/translate?hl=zh-CN&sl=" + language_code + "&u=http://" + rest;
}

Text browser_command_line(const Text& url) { return "\"" + Text(kBrowserPath) + "\" " + url; }

Text media_file_type(const Text& path) {
    size_t dot = path.rfind('.');
    return to_lower(dot == Text::npos ? left_text(path, 3) : left_text(path.substr(dot + 1), 3));
}

Text media_device_type(const Text& file_type) {
    struct Row {
        std::initializer_list<const char*> types;
        const char* device;
    };
    static const Row rows[] = {
        {{"avi"}, "avivideo"},
        {{"wav"}, "waveaudio"},
        {{"cda"}, "cdaudio"},
        {{"rm", "ra", "mp3", "ram"}, "MPEGvideo"},
        {{"mid", "rmi", "idi"}, "Sequencer"},
        {{"asf", "wma", "asx", "ivf", "lsf", "lsx", "p2v", "wax", "wvx", "wmx", "wmp"}, "MPEGvideo2"},
    };
    for (const Row& row : rows) {
        for (const char* type : row.types) {
            if (file_type == type) return row.device;
        }
    }
    return "MPEGvideo";
}

bool is_video_type(const Text& file_type) {
    return file_type != "mp3" && file_type != "wav" && file_type != "cda" && file_type != "mid";
}

}  // namespace speech
