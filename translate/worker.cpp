#include "translate/worker.h"

#include "net/url.h"
#include "tarvik_config.h"
#include "translate/languages.h"
#include "translate/reply.h"

namespace translate {

runtime::SharedText translateHost{TARVIK_TRANSLATE_HOST};

void automatic_recognition(TranslationWindow& window) {
    LanguagePair current = window.language_rows();
    LanguagePair picked = recognise_languages(window.source_text(), current);
    if (picked.source != current.source || picked.target != current.target) window.select_language_rows(picked);
}

Text translation_call(TranslationWindow& window, const HttpGet& get, const Text& piece, bool with_dictionary) {
    LanguageNames names = window.language_names();
    source_lookup(names.source);
    target_lookup(names.target);
    Text source_code = sourceLanguageCode.get();
    Text url = translation_url(translateHost.get(), piece, source_code, targetLanguageCode.get());
    Text reply = net::url_decode(runtime::to_text(get(url)));
    return with_dictionary ? cut_translation_with_dictionary(reply, source_code) : cut_translation(reply);
}

void translation_worker(TranslationWindow& window, const HttpGet& get) {
    if (window.automatic_recognition_ticked()) automatic_recognition(window);
    window.dispatch_events();
    Text text = comma_pass(window.source_text());
    window.dispatch_events();
    auto call = [&](const Text& piece, bool with_dictionary) {
        return translation_call(window, get, piece, with_dictionary);
    };
    std::optional<Text> result = translate_lines(period_pass(text), call);
    if (result) window.show_result(*result);
}

}  // namespace translate
