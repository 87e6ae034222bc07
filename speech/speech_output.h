// Where speech goes on Windows: the speech files next to the program, filled by the speech
// download and played on the media player.
#pragma once

#include "runtime/shared_value.h"
#include "speech/pronunciation.h"

namespace speech {

// Where speech requests go; the build's setting unless a test changes it.
extern runtime::SharedText speechHost;

Text result_speech_file();  // program directory + "\zaz结果发音文件.mp3"
Text source_speech_file();  // program directory + "\zaz原文发音文件.mp3"

// The speech files, the speech download and the media player, for the speech routines.
SpeechOutput& speech_output();

}  // namespace speech
