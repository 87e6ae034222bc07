// Where speech goes on Windows: the speech files next to the program, filled by the speech
// download and played on the media player.
#pragma once

#include "engines/settings.h"
#include "speech/pronunciation.h"

namespace speech {

Text result_speech_file();  // program directory + "\zaz结果发音文件.mp3"
Text source_speech_file();  // program directory + "\zaz原文发音文件.mp3"

// The speech files, the speech download and the media player, for one speech run with the
// settings it started with.
class SpeechFiles final : public SpeechOutput {
public:
    explicit SpeechFiles(const engines::Settings& settings) : settings_(settings) {}
    bool download(SpeechFile file, const Text& text, const Text& language_code) override;
    int play(SpeechFile file) override;
    Text speaker() override;

private:
    engines::Settings settings_;
};

}  // namespace speech
