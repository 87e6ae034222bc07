#include "translate/worker.h"

#include "engines/classic.h"
#include "engines/engine.h"
#include "net/url.h"
#include "translate/languages.h"
#include "translate/reply.h"

namespace translate {

namespace {

// The pieces the algorithm asks for are gathered first, sent in as few requests as the engine
// takes, and then handed back in the same order: the result is what piece-by-piece calls give.
std::optional<Text> engine_translation(TranslationWindow& window, const net::HttpSend& send,
                                       const engines::Choice& choice, const Text& text, bool detect) {
    std::vector<Text> pieces;
    bool with_dictionary = false;
    auto gather = [&](const Text& piece, bool dictionary) {
        pieces.push_back(piece);
        with_dictionary = dictionary;
        return Text();
    };
    if (!translate_lines(text, gather)) return std::nullopt;
    LanguageNames names = window.language_names();
    source_lookup(names.source);
    target_lookup(names.target);
    engines::Language source{detect ? Text(engines::kDetectSource) : sourceLanguageCode.get(), names.source};
    engines::Language target{targetLanguageCode.get(), names.target};
    engines::Translations translations =
        engines::translate_pieces(choice, pieces, with_dictionary, source, target, send);
    if (!translations.failure.empty()) return translations.failure;
    size_t next = 0;
    auto hand_back = [&](const Text&, bool) {
        return next < translations.pieces.size() ? display_text(translations.pieces[next++]) : Text();
    };
    return translate_lines(text, hand_back);
}

// One request per piece, each looking both languages up again; the first refusal ends the run, and
// the line that tells it is the whole result.
std::optional<Text> classic_translation(TranslationWindow& window, const HttpGet& get, const Text& host,
                                        const Text& text, bool detect) {
    std::optional<net::HttpReply> refused;
    std::optional<Text> result = translate_lines(text, [&](const Text& piece, bool with_dictionary) {
        if (refused) return Text();
        ClassicCall call = translation_call(window, get, host, piece, with_dictionary, detect);
        if (call.refused) refused = call.reply;
        return call.display;
    });
    if (refused) return engines::classic_refusal(*refused);
    return result;
}

}  // namespace

bool automatic_recognition(TranslationWindow& window) {
    LanguagePair current = window.language_rows();
    Recognition recognition = recognise_languages(window.source_text(), current);
    LanguagePair picked = recognition.rows;
    if (picked.source != current.source || picked.target != current.target) window.select_language_rows(picked);
    return recognition.detect_source;
}

ClassicCall translation_call(TranslationWindow& window, const HttpGet& get, const Text& host, const Text& piece,
                             bool with_dictionary, bool detect) {
    LanguageNames names = window.language_names();
    source_lookup(names.source);
    target_lookup(names.target);
    Text source_code = detect ? Text(engines::kDetectSource) : sourceLanguageCode.get();
    Text url = engines::translation_url(host, piece, source_code, targetLanguageCode.get());
    ClassicCall call;
    call.reply = get(url);
    call.refused = !net::is_success(call.reply.status);
    Text reply = net::url_decode(runtime::to_text(call.reply.body));
    call.display = display_text(cut_reply(reply, source_code, with_dictionary));
    return call;
}

void translation_worker(TranslationWindow& window, const Network& network, const engines::Settings& settings) {
    bool detect = window.automatic_recognition_ticked() && automatic_recognition(window);
    window.dispatch_events();
    Text text = comma_pass(window.source_text());
    window.dispatch_events();
    text = period_pass(text);
    engines::Choice choice = engines::translation_engine(settings);
    std::optional<Text> result;
    if (!choice.problem.empty()) {
        if (translate_lines(text, [](const Text&, bool) { return Text(); })) result = choice.problem;
    } else if (!choice.engine->translate) {
        result = classic_translation(window, network.get, engines::translate_host(settings), text, detect);
    } else {
        result = engine_translation(window, network.send, choice, text, detect);
    }
    if (result) window.show_result(*result);
}

}  // namespace translate
