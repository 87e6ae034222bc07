// Speaking the source text or the first line of the result: download the service's MP3 into a
// speech file next to the program and play it on 媒体播放1.
#pragma once

#include "runtime/text.h"
#include "translate/shared_text.h"

namespace speech {

using runtime::Text;

// Where speech requests go and which host opens translated web pages; the build's settings unless a test changes them.
extern translate::SharedText speechHost;
extern translate::SharedText webHost;

Text result_speech_file();  // program directory + "\zaz结果发音文件.mp3"
Text source_speech_file();  // program directory + "\zaz原文发音文件.mp3"

void result_speech();
void source_speech();
// The speech buttons: start their routine unless a speech run of either kind is going on.
void result_speech_command();
void source_speech_command();

// Opens the address of 编辑框1 translated in the browser (on the window thread).
void web_page_translation();

}  // namespace speech
