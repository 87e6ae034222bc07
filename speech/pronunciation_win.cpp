#include <windows.h>
#include <shellapi.h>

#include "runtime/system.h"
#include "shell/controls.h"
#include "speech/media_player.h"
#include "speech/pronunciation.h"
#include "speech/speech_download.h"
#include "speech/speech_text.h"
#include "speech/tasks.h"
#include "tarvik_config.h"
#include "translate/worker.h"

namespace speech {

using namespace runtime;
using shell::Control;

namespace {

// What the last run of a routine spoke, whether its playback started, and in which language.
// Each record is touched by its own routine only, and one speech run exists at a time.
struct ReuseRecord {
    Text last_text;
    int last_playback = 0;
    Text last_code;

    bool reusable(const Text& text, const Text& code) const {
        return text == last_text && last_playback != 0 && code == last_code;
    }
};

ReuseRecord result_record;
ReuseRecord source_record;

void download(const Text& file, const Text& text, const Text& code) {
    remove_file(file);
    tasks::timed_pause(100);
    write_file(file, speech_download(speech_url(speechHost.get(), text, code)));
}

int play(const Text& file) {
    open_media(file);
    int length = media_length();
    int played = play_media(-1) ? 1 : 0;
    tasks::timed_pause(length);
    stop_media();
    close_media();
    return played;
}

}  // namespace

translate::SharedText speechHost{TARVIK_SPEECH_HOST};
translate::SharedText webHost{TARVIK_WEB_HOST};

Text result_speech_file() { return program_directory() + "\\zaz结果发音文件.mp3"; }
Text source_speech_file() { return program_directory() + "\\zaz原文发音文件.mp3"; }

void result_speech() {
    tasks::BusyScope busy(tasks::resultSpeechBusy);
    if (shell::content(Control::已翻译结果).empty()) return;
    if (shell::ticked(Control::选择框1)) translate::automatic_recognition();
    translate::source_lookup();
    Text text = result_text_to_speak(shell::content(Control::已翻译结果));
    Text code = translate::targetLanguageCode.get();
    if (!result_record.reusable(text, code)) download(result_speech_file(), text, code);
    result_record.last_playback = play(result_speech_file());
    result_record.last_text = text;
    result_record.last_code = code;
}

void source_speech() {
    tasks::BusyScope busy(tasks::sourceSpeechBusy);
    if (shell::content(Control::要翻译的).empty()) return;
    Text text = source_text_to_speak(shell::content(Control::要翻译的));
    if (shell::ticked(Control::选择框1)) translate::automatic_recognition();
    translate::source_lookup();
    Text code = translate::sourceLanguageCode.get();
    if (!source_record.reusable(shell::content(Control::要翻译的), code)) download(source_speech_file(), text, code);
    source_record.last_playback = play(source_speech_file());
    source_record.last_text = shell::content(Control::要翻译的);
    source_record.last_code = code;
}

void result_speech_command() {
    tasks::start_guarded({&tasks::resultSpeechBusy, &tasks::sourceSpeechBusy}, tasks::resultSpeechBusy, result_speech);
}

void source_speech_command() {
    tasks::start_guarded({&tasks::resultSpeechBusy, &tasks::sourceSpeechBusy}, tasks::sourceSpeechBusy, source_speech);
}

void web_page_translation() {
    Text address = shell::content(Control::编辑框1);
    if (!address.empty()) translate::web_page_source_lookup();
    Text url = web_page_url(webHost.get(), address, translate::webPageLanguageCode.get());
    if (file_exists(kBrowserPath)) {
        run_command_line(browser_command_line(url), false);
    } else {
        // No Internet Explorer at its old place: the user's default browser gets the same URL.
        ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
}

}  // namespace speech
