#include "speech/speech_output.h"

#include "engines/classic.h"
#include "engines/engine.h"
#include "net/http_client.h"
#include "runtime/system.h"
#include "speech/media_player.h"
#include "speech/speech_download.h"
#include "speech/speech_text.h"
#include "speech/tasks.h"

namespace speech {

using namespace runtime;

Text result_speech_file() { return program_directory() + "\\zaz结果发音文件.mp3"; }
Text source_speech_file() { return program_directory() + "\\zaz原文发音文件.mp3"; }

namespace {

// The old file goes first, and a moment passes before the new one is asked for, so that a player
// that still holds the file has let it go.
const int kPauseBeforeDownloadMs = 100;

Text path_of(SpeechFile file) { return file == SpeechFile::result ? result_speech_file() : source_speech_file(); }

}  // namespace

// The classic endpoint's reply is written whatever it holds, as the classic speech always did; a
// speech engine's is written only when it is sound, so that a failed request leaves no file that
// a later press would play again.
bool SpeechFiles::download(SpeechFile file, const Text& text, const Text& language_code) {
    Text path = path_of(file);
    remove_file(path);
    tasks::timed_pause(kPauseBeforeDownloadMs);
    engines::Choice choice = engines::speech_engine(settings_);
    if (!choice.engine->speak) {
        write_file(path, speech_download(engines::speech_url(engines::speech_host(settings_), text, language_code)));
        return true;
    }
    std::optional<Bytes> audio = engines::speak(choice, text, language_code, net::http_send);
    if (audio && write_file(path, *audio)) return true;
    remove_file(path);
    return false;
}

Text SpeechFiles::speaker() {
    engines::Choice choice = engines::speech_engine(settings_);
    return choice.engine->speak ? engines::speaker_of(choice) : engines::speaker_of(choice) + engines::speech_host(settings_);
}

int SpeechFiles::play(SpeechFile file) {
    open_media(path_of(file));
    int length = media_length();
    int played = play_media(-1) ? 1 : 0;
    // Playing returns at once; the pause holds the thread until the sound has ended.
    tasks::timed_pause(length);
    stop_media();
    close_media();
    return played;
}

}  // namespace speech
