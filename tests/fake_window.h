// The window and the service as the workers see them, without a window or a network: the native
// tests of the translation and speech workers drive these and read what happened.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "speech/pronunciation.h"
#include "translate/languages.h"

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

// The translation service: answers each URL from a function of the URL and keeps every URL asked.
struct Service {
    std::function<std::string(const std::string& url)> answer = [](const std::string&) { return std::string(); };
    std::vector<std::string> urls;

    translate::HttpGet get() {
        return [this](const Text& url) {
            urls.push_back(url);
            std::string body = answer(url);
            return Bytes(body.begin(), body.end());
        };
    }
};

// The speech files and player: records each download and playback, and plays as told.
struct Speaker final : speech::SpeechOutput {
    int playback_result = 1;
    std::vector<std::string> journal;

    void download(speech::SpeechFile file, const Text& text, const Text& code) override {
        journal.push_back("download " + std::string(file == speech::SpeechFile::result ? "result" : "source") + " [" +
                          text + "] " + code);
    }
    int play(speech::SpeechFile file) override {
        journal.push_back(std::string("play ") + (file == speech::SpeechFile::result ? "result" : "source"));
        return playback_result;
    }
};

// The language codes as at start, and requests to a host of the tests' own.
inline void reset_program_values() {
    translate::sourceLanguageCode.set("");
    translate::targetLanguageCode.set("");
    translate::translateHost.set("svc.test");
}

}  // namespace fake
