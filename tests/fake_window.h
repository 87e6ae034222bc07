// The window and the service as the workers see them, without a window or a network: the native
// tests of the translation and speech workers drive these and read what happened.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "speech/pronunciation.h"
#include "translate/languages.h"
#include "translate/worker.h"

namespace fake {

using runtime::Bytes;
using runtime::Text;

// The controls as plain values. The lists show the names of their selected rows, as the real
// lists do; every change the worker makes is written to the journal.
class Window final : public speech::SpeechWindow {
public:
    Text source;
    Text result;
    bool ticked = true;
    translate::LanguagePair rows{translate::kEnglishIndex, translate::kChineseSimplifiedIndex};
    std::vector<std::string> journal;
    int dispatches = 0;

    Text source_text() override { return source; }
    Text result_text() override { return result; }
    translate::LanguageNames language_names() override { return {name_of(rows.source), name_of(rows.target)}; }
    bool automatic_recognition_ticked() override { return ticked; }
    translate::LanguagePair language_rows() override { return rows; }
    void select_language_rows(translate::LanguagePair picked) override {
        rows = picked;
        journal.push_back("select " + std::to_string(picked.source) + " " + std::to_string(picked.target));
    }
    void show_result(const Text& text) override {
        result = text;
        journal.push_back("show " + text);
    }
    void dispatch_events() override { ++dispatches; }

private:
    static Text name_of(int row) {
        std::vector<Text> names = translate::list_languages();
        return row >= 0 && row < static_cast<int>(names.size()) ? names[row] : Text();
    }
};

// The services: the classic endpoint answers each URL from functions of the URL (its status, 0 for
// no answer at all, and its body), an engine each request from a function of the request; every
// URL and request is kept. Engines may send from several threads at once.
struct Service {
    std::function<std::string(const std::string& url)> answer = [](const std::string&) { return std::string(); };
    std::function<int(const std::string& url)> status = [](const std::string&) { return 200; };
    std::function<net::HttpReply(const net::HttpRequest&)> engine = [](const net::HttpRequest&) {
        return net::HttpReply{0, {}, net::kErrorCannotConnect};
    };
    std::vector<std::string> urls;
    std::vector<net::HttpRequest> requests;
    std::mutex mutex;

    translate::HttpGet get() {
        return [this](const Text& url) {
            urls.push_back(url);
            std::string body = answer(url);
            int code = status(url);
            return net::HttpReply{code, code ? Bytes(body.begin(), body.end()) : Bytes(),
                                  code ? 0u : net::kErrorCannotConnect};
        };
    }
    translate::Network network() {
        return {get(), [this](const net::HttpRequest& request) {
                    {
                        std::lock_guard<std::mutex> lock(mutex);
                        requests.push_back(request);
                    }
                    return engine(request);
                }};
    }
};

// The speech files and player: records each download and playback, and plays as told.
struct Speaker final : speech::SpeechOutput {
    int playback_result = 1;
    bool download_result = true;
    Text speaking = "classic svc.test";  // which service a download would ask
    std::vector<std::string> journal;

    Text speaker() override { return speaking; }

    bool download(speech::SpeechFile file, const Text& text, const Text& code) override {
        journal.push_back("download " + std::string(file == speech::SpeechFile::result ? "result" : "source") + " [" +
                          text + "] " + code);
        return download_result;
    }
    int play(speech::SpeechFile file) override {
        journal.push_back(std::string("play ") + (file == speech::SpeechFile::result ? "result" : "source"));
        return playback_result;
    }
};

// The language codes as at start.
inline void reset_program_values() {
    translate::sourceLanguageCode.set("");
    translate::targetLanguageCode.set("");
}

// Classic settings whose endpoints are a host of the tests' own.
inline engines::Settings classic_settings() {
    engines::Settings settings;
    settings.translate_host = "svc.test";
    settings.speech_host = "svc.test";
    return settings;
}

}  // namespace fake
