#include "speech/pronunciation.h"

#include "speech/speech_text.h"
#include "translate/languages.h"

namespace speech {

ReuseRecord resultSpeechRecord;
ReuseRecord sourceSpeechRecord;

namespace {

// Both routines bring the source language code up to date from the source list before speaking.
void refresh_source_language(SpeechWindow& window) {
    if (window.automatic_recognition_ticked()) translate::automatic_recognition(window);
    translate::source_lookup(window.language_names().source);
}

}  // namespace

void result_speech(SpeechWindow& window, SpeechOutput& output) {
    if (window.result_text().empty()) return;
    refresh_source_language(window);
    Text text = result_text_to_speak(window.result_text());
    // The result is spoken in the language of the last translation, not of the list.
    Text code = translate::targetLanguageCode.get();
    Text speaker = output.speaker();
    bool ready = resultSpeechRecord.reusable(text, code, speaker) || output.download(SpeechFile::result, text, code);
    resultSpeechRecord.last_playback = ready ? output.play(SpeechFile::result) : 0;
    resultSpeechRecord.last_text = text;
    resultSpeechRecord.last_code = code;
    resultSpeechRecord.last_speaker = speaker;
}

void source_speech(SpeechWindow& window, SpeechOutput& output) {
    if (window.source_text().empty()) return;
    Text text = source_text_to_speak(window.source_text());
    refresh_source_language(window);
    Text code = translate::sourceLanguageCode.get();
    Text speaker = output.speaker();
    // The reuse test and the record compare the whole box, not the text made from it.
    bool ready = sourceSpeechRecord.reusable(window.source_text(), code, speaker) ||
                 output.download(SpeechFile::source, text, code);
    sourceSpeechRecord.last_playback = ready ? output.play(SpeechFile::source) : 0;
    sourceSpeechRecord.last_text = window.source_text();
    sourceSpeechRecord.last_code = code;
    sourceSpeechRecord.last_speaker = speaker;
}

}  // namespace speech
