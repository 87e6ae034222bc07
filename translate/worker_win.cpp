#include "translate/worker.h"

#include "net/http_client.h"
#include "net/url.h"
#include "runtime/system.h"
#include "shell/controls.h"
#include "speech/tasks.h"
#include "tarvik_config.h"
#include "translate/algorithm.h"
#include "translate/languages.h"
#include "translate/reply.h"

namespace translate {

using shell::Control;

SharedText sourceLanguageCode;
SharedText targetLanguageCode;
SharedText webPageLanguageCode;
SharedText translateHost{TARVIK_TRANSLATE_HOST};

namespace {

void lookup_name(const Text& name, SharedText& code, bool web_page) {
    if (const char* found = code_for_name(name, web_page)) code.set(found);
}

void lookup(Control list, SharedText& code, bool web_page) { lookup_name(shell::content(list), code, web_page); }

}  // namespace

void source_lookup() { lookup(Control::源语言组合框, sourceLanguageCode, false); }
void target_lookup() { lookup(Control::目标语言组合框, targetLanguageCode, false); }
void web_page_source_lookup() { lookup(Control::源语言组合框1, webPageLanguageCode, true); }

void automatic_recognition() {
    LanguagePair current{shell::selection(Control::源语言组合框), shell::selection(Control::目标语言组合框)};
    LanguagePair picked = recognise_languages(shell::content(Control::要翻译的), current);
    if (picked.source != current.source) shell::set_selection(Control::源语言组合框, picked.source);
    if (picked.target != current.target) shell::set_selection(Control::目标语言组合框, picked.target);
}

Text translation_call(const Text& piece, bool with_dictionary) {
    // Both lookups, with the two lists read in one visit to the window's thread.
    std::vector<Text> names = shell::contents({Control::源语言组合框, Control::目标语言组合框});
    lookup_name(names[0], sourceLanguageCode, false);
    lookup_name(names[1], targetLanguageCode, false);
    Text source_code = sourceLanguageCode.get();
    Text url = translation_url(translateHost.get(), piece, source_code, targetLanguageCode.get());
    Text reply = net::url_decode(runtime::to_text(net::http_request(url)));
    return with_dictionary ? cut_translation_with_dictionary(reply, source_code) : cut_translation(reply);
}

void translation_worker() {
    tasks::BusyScope busy(tasks::translationBusy);
    if (shell::ticked(Control::选择框1)) automatic_recognition();
    runtime::process_events();
    Text text = comma_pass(shell::content(Control::要翻译的));
    runtime::process_events();
    std::optional<Text> result = translate_lines(period_pass(text), translation_call);
    if (result) shell::set_content(Control::已翻译结果, *result);
}

void translate_command() { tasks::start_guarded({}, tasks::translationBusy, translation_worker); }

}  // namespace translate
