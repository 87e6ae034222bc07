// The translation worker: the source text in, through the language lists and one request per
// piece, the result out. It sees the window only through the interface below.
#pragma once

#include <functional>

#include "engines/settings.h"
#include "net/http.h"
#include "runtime/text.h"
#include "translate/algorithm.h"

namespace translate {

using runtime::Bytes;
using runtime::Text;

// The names shown in the source and the target language list.
struct LanguageNames {
    Text source;
    Text target;
};

// What the translation worker sees of the window. Calls come from the worker's own thread.
class TranslationWindow {
public:
    virtual Text source_text() = 0;
    // Both names read together: each translation call needs the two.
    virtual LanguageNames language_names() = 0;
    virtual bool automatic_recognition_ticked() = 0;
    // The rows selected in the source and the target list.
    virtual LanguagePair language_rows() = 0;
    virtual void select_language_rows(LanguagePair rows) = 0;
    virtual void show_result(const Text& result) = 0;
    // Answers what waits for the worker's own thread between its steps.
    virtual void dispatch_events() = 0;

protected:
    ~TranslationWindow() = default;
};

// One GET of a URL: the status and the body as received; status 0 when nothing came back.
using HttpGet = std::function<net::HttpReply(const Text& url)>;

// How the worker reaches the services: the classic endpoint's GET, and the engines' requests.
struct Network {
    HttpGet get;
    net::HttpSend send;
};

// Picks the language pair from the first character of the source text (callers test the tick
// first); true when the source language is left to the service to detect.
bool automatic_recognition(TranslationWindow& window);

// One request to the classic endpoint at that host for a piece of text: the display text with or
// without the dictionary lines, and whether the endpoint refused (an error status, or no answer).
// Looks both languages up from the lists first; with detect the request asks the service to detect
// the source language instead of naming the list's.
struct ClassicCall {
    Text display;
    bool refused = false;
    net::HttpReply reply;
};
ClassicCall translation_call(TranslationWindow& window, const HttpGet& get, const Text& host, const Text& piece,
                             bool with_dictionary, bool detect = false);

// A whole run with the settings it started with: recognition when ticked, the punctuation passes,
// the requests (one per piece for the classic endpoint, batches for an engine that takes them),
// the result shown; or the one line that says why nothing could be translated.
void translation_worker(TranslationWindow& window, const Network& network, const engines::Settings& settings);

}  // namespace translate
