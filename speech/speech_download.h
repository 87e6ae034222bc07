// The speech download: its own plain GET (HTTP/1.0, Accept */*, no cache), every byte received.
#pragma once

#include "runtime/text.h"

namespace speech {

runtime::Bytes speech_download(const runtime::Text& url);

}  // namespace speech
