#include <windows.h>

#include "engines/engine.h"
#include "engines/settings_file.h"
#include "net/http_client.h"
#include "runtime/utf.h"
#include "shell/controls.h"
#include "shell/handlers.h"
#include "shell/window_description.h"
#include "shell/worker_window.h"
#include "speech/speech_output.h"
#include "speech/tasks.h"
#include "speech/web_page.h"

namespace shell {

namespace {

const int kTranslateKey = 'S';

net::HttpReply get(const runtime::Text& url) {
    net::HttpReply reply;
    reply.body = net::http_request(url, nullptr, nullptr, nullptr, nullptr, nullptr, &reply.status);
    return reply;
}

void run_translation() {
    translate::translation_worker(worker_window(), {get, net::http_send}, engines::current_settings());
}

// A speech run keeps the settings it started with. Without speech, nothing is sent or played; a
// speech setting that names no engine is said in a message box, since the boxes hold the user's text.
void run_speech(void (*routine)(speech::SpeechWindow&, speech::SpeechOutput&)) {
    engines::Settings settings = engines::current_settings();
    engines::Choice choice = engines::speech_engine(settings);
    if (!choice.problem.empty()) {
        MessageBoxW(static_cast<HWND>(parent_window()),
                    runtime::wide(choice.problem).c_str(), L"Tarvik", MB_OK | MB_ICONWARNING);
        return;
    }
    if (choice.silent) return;
    speech::SpeechFiles output(settings);
    routine(worker_window(), output);
}

void run_result_speech() { run_speech(speech::result_speech); }
void run_source_speech() { run_speech(speech::source_speech); }

}  // namespace

void translate_command() { tasks::start_guarded({}, tasks::translationBusy, run_translation); }

void translate_hot_key(int key_code, int modifier_state) {
    if (modifier_state == kAlt && key_code == kTranslateKey) translate_command();
}

// One speech run of either kind at a time.
void result_speech_command() {
    tasks::start_guarded({&tasks::resultSpeechBusy, &tasks::sourceSpeechBusy}, tasks::resultSpeechBusy,
                         run_result_speech);
}

void source_speech_command() {
    tasks::start_guarded({&tasks::resultSpeechBusy, &tasks::sourceSpeechBusy}, tasks::sourceSpeechBusy,
                         run_source_speech);
}

void web_page_command() {
    std::vector<runtime::Text> read = contents({Control::编辑框1, Control::源语言组合框1});
    speech::web_page_translation(engines::web_host(engines::current_settings()), read[0], read[1]);
}

void web_page_key(int key_code, int) {
    if (key_code == VK_RETURN) web_page_command();
}

void source_language_picked() { set_ticked(Control::选择框1, false); }

void target_language_picked() { set_ticked(Control::选择框1, false); }

void swap_languages() {
    int source = selection(Control::源语言组合框);
    set_selection(Control::源语言组合框, selection(Control::目标语言组合框));
    set_selection(Control::目标语言组合框, source);
    set_ticked(Control::选择框1, false);
}

}  // namespace shell
