// Speaking the source text or the first line of the result: the service's MP3 goes into a speech
// file next to the program and is played on 媒体播放1. The routines see the window and the player
// only through the interfaces below.
#pragma once

#include "runtime/text.h"
#include "translate/worker.h"

namespace speech {

using runtime::Text;

// What a speech routine sees of the window: the translation worker's view and the result box.
class SpeechWindow : public translate::TranslationWindow {
public:
    virtual Text result_text() = 0;

protected:
    ~SpeechWindow() = default;
};

enum class SpeechFile { result, source };

// The speech files and the player behind 媒体播放1.
class SpeechOutput {
public:
    // Replaces the file's content with the service's rendering of the text in that language. False
    // when a speech engine gave nothing to play: the file is then gone, and nothing is played.
    virtual bool download(SpeechFile file, const Text& text, const Text& language_code) = 0;
    // Plays the file to its end on the calling thread; 1 when the playback started, else 0.
    virtual int play(SpeechFile file) = 0;
    // Which service, at which address, a download now would ask.
    virtual Text speaker() = 0;

protected:
    ~SpeechOutput() = default;
};

// What the last run of a routine spoke, whether its playback started, in which language, and which
// service made the file: a file of another service is not played for the same text. Each record is
// touched by its own routine only, and one speech run exists at a time.
struct ReuseRecord {
    Text last_text;
    int last_playback = 0;
    Text last_code;
    Text last_speaker;

    bool reusable(const Text& text, const Text& code, const Text& speaker) const {
        return text == last_text && last_playback != 0 && code == last_code && speaker == last_speaker;
    }
};
extern ReuseRecord resultSpeechRecord;
extern ReuseRecord sourceSpeechRecord;

// The two routines, each run on a thread of its own while its busy flag is up.
void result_speech(SpeechWindow& window, SpeechOutput& output);
void source_speech(SpeechWindow& window, SpeechOutput& output);

}  // namespace speech
