// The pure parts of speech and web-page translation: what is spoken, the web page's URL, the browser's
// command line and how a media file is opened.
#pragma once

#include "runtime/text.h"

namespace speech {

using runtime::Text;

// The first line of the result box.
Text result_text_to_speak(const Text& result);
// Every non-empty line of the source box, each followed by "。".
Text source_text_to_speak(const Text& source);

extern const char kBrowserPath[];
// The URL opened for an address: the start page for an empty one, else the translator page.
Text web_page_url(const Text& host, const Text& address, const Text& language_code);
// The quoted browser path, one space and the URL.
Text browser_command_line(const Text& url);

// The lower-case extension of a path, at most 3 characters; without "." its first 3 characters.
Text media_file_type(const Text& path);
Text media_device_type(const Text& file_type);
bool is_video_type(const Text& file_type);

}  // namespace speech
