#include "translate/worker.h"

#include "engines/classic.h"
#include "engines/engine.h"
#include "net/url.h"
#include "translate/languages.h"
#include "translate/reply.h"

namespace translate {

namespace {

Text cut(const Text& reply, bool with_dictionary, const Text& source_code) {
    return with_dictionary ? cut_translation_with_dictionary(reply, source_code) : cut_translation(reply);
}

// The pieces the algorithm asks for are gathered first, sent in as few requests as the engine
// takes, and then handed back in the same order: the result is what piece-by-piece calls give.
std::optional<Text> engine_translation(TranslationWindow& window, const net::HttpSend& send,
                                       const engines::Choice& choice, const Text& text, bool detect) {
    std::vector<Text> pieces;
    auto gather = [&](const Text& piece, bool) {
        pieces.push_back(piece);
        return Text();
    };
    if (!translate_lines(text, gather)) return std::nullopt;
    if (!choice.problem.empty()) return choice.problem;
    LanguageNames names = window.language_names();
    source_lookup(names.source);
    target_lookup(names.target);
    Text source_code = detect ? Text(engines::kDetectSource) : sourceLanguageCode.get();
    engines::Replies replies = engines::translate_pieces(choice, pieces, source_code, targetLanguageCode.get(), send);
    if (!replies.failure.empty()) return replies.failure;
    size_t next = 0;
    auto hand_back = [&](const Text&, bool with_dictionary) {
        return next < replies.replies.size() ? cut(replies.replies[next++], with_dictionary, source_code) : Text();
    };
    return translate_lines(text, hand_back);
}

}  // namespace

bool automatic_recognition(TranslationWindow& window) {
    LanguagePair current = window.language_rows();
    Recognition recognition = recognise_languages(window.source_text(), current);
    LanguagePair picked = recognition.rows;
    if (picked.source != current.source || picked.target != current.target) window.select_language_rows(picked);
    return recognition.detect_source;
}

Text translation_call(TranslationWindow& window, const HttpGet& get, const Text& host, const Text& piece,
                      bool with_dictionary, bool detect) {
    LanguageNames names = window.language_names();
    source_lookup(names.source);
    target_lookup(names.target);
    Text source_code = detect ? Text(engines::kDetectSource) : sourceLanguageCode.get();
    Text url = engines::translation_url(host, piece, source_code, targetLanguageCode.get());
    return cut(net::url_decode(runtime::to_text(get(url))), with_dictionary, source_code);
}

void translation_worker(TranslationWindow& window, const Network& network, const engines::Settings& settings) {
    bool detect = window.automatic_recognition_ticked() && automatic_recognition(window);
    window.dispatch_events();
    Text text = comma_pass(window.source_text());
    window.dispatch_events();
    text = period_pass(text);
    engines::Choice choice = engines::translation_engine(settings);
    std::optional<Text> result;
    if (choice.engine == engines::Engine::classic && choice.problem.empty()) {
        Text host = engines::translate_host(settings);
        result = translate_lines(text, [&](const Text& piece, bool with_dictionary) {
            return translation_call(window, network.get, host, piece, with_dictionary, detect);
        });
    } else {
        result = engine_translation(window, network.send, choice, text, detect);
    }
    if (result) window.show_result(*result);
}

}  // namespace translate
