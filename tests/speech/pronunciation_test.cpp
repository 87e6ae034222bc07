// The speech routines' orchestration against a fake window and a fake player: what is spoken, in
// which language, and when the speech file is played again without a download.
#include "speech/pronunciation.h"

#include <gtest/gtest.h>

#include "tests/fake_window.h"

using namespace speech;

namespace {

using Journal = std::vector<std::string>;

class Pronunciation : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset_program_values();
        resultSpeechRecord = {};
        sourceSpeechRecord = {};
        translate::targetLanguageCode.set("en");
        window.ticked = false;
    }
    Journal take() { return std::exchange(speaker.journal, {}); }

    fake::Window window;
    fake::Speaker speaker;
};

}  // namespace

TEST_F(Pronunciation, ResultSpeechSpeaksTheFirstLineAndReusesTheFile) {
    window.result = "Hello\r\n\r\n感叹词: 1.hello  ";
    result_speech(window, speaker);
    EXPECT_EQ(take(), (Journal{"download result [Hello] en", "play result"}));

    // Unchanged text and language after a playback that started: the same file again.
    result_speech(window, speaker);
    EXPECT_EQ(take(), (Journal{"play result"}));

    // A translation into another language since: the same line is fetched anew.
    translate::targetLanguageCode.set("de");
    result_speech(window, speaker);
    EXPECT_EQ(take(), (Journal{"download result [Hello] de", "play result"}));
}

TEST_F(Pronunciation, AFileOfAnotherServiceIsNotPlayedAgain) {
    window.result = "Hello";
    window.source = "Hello";
    result_speech(window, speaker);
    source_speech(window, speaker);
    take();
    // The speech engine, or its address, changed in the settings since: the file is fetched anew.
    speaker.speaking = "lingva https://l.test";
    result_speech(window, speaker);
    source_speech(window, speaker);
    EXPECT_EQ(take(), (Journal{"download result [Hello] en", "play result", "download source [Hello。] en",
                               "play source"}));
    result_speech(window, speaker);
    EXPECT_EQ(take(), (Journal{"play result"}));
    speaker.speaking = "lingva https://other.test";
    result_speech(window, speaker);
    EXPECT_EQ(take(), (Journal{"download result [Hello] en", "play result"}));
}

TEST_F(Pronunciation, AFailedPlaybackIsNotReused) {
    window.result = "x";
    speaker.playback_result = 0;
    result_speech(window, speaker);
    result_speech(window, speaker);
    EXPECT_EQ(take(), (Journal{"download result [x] en", "play result", "download result [x] en", "play result"}));
    speaker.playback_result = 1;
    result_speech(window, speaker);
    result_speech(window, speaker);
    EXPECT_EQ(take(), (Journal{"download result [x] en", "play result", "play result"}));
}

TEST_F(Pronunciation, EmptyBoxesDoNothing) {
    result_speech(window, speaker);
    source_speech(window, speaker);
    EXPECT_TRUE(speaker.journal.empty());
    EXPECT_EQ(resultSpeechRecord.last_playback, 0);
    EXPECT_EQ(translate::sourceLanguageCode.get(), "") << "no lookup for an empty box";
}

TEST_F(Pronunciation, ResultSpeechUsesTheLastTranslationsLanguageNotTheList) {
    translate::targetLanguageCode.set("");
    window.result = "\r\nsecond line";
    window.rows = {3, 19};
    result_speech(window, speaker);
    // Before any translation the code is empty; a result starting with a line break speaks nothing.
    EXPECT_EQ(take(), (Journal{"download result [] ", "play result"}));
    // The source code is still brought up to date from its list.
    EXPECT_EQ(translate::sourceLanguageCode.get(), "ja");
    EXPECT_EQ(translate::targetLanguageCode.get(), "");
}

TEST_F(Pronunciation, SourceSpeechSpeaksEveryLineInTheSourceLanguage) {
    window.source = "a\r\n\r\nb";
    window.rows = {17, 0};
    source_speech(window, speaker);
    EXPECT_EQ(take(), (Journal{"download source [a。b。] de", "play source"}));
    source_speech(window, speaker);
    EXPECT_EQ(take(), (Journal{"play source"}));

    window.source = "\r\n\r\n";
    source_speech(window, speaker);
    EXPECT_EQ(take(), (Journal{"download source [] de", "play source"}));
}

TEST_F(Pronunciation, TickedRecognitionPicksTheSourceLanguageFirst) {
    window.ticked = true;
    window.source = "你好";
    window.rows = {translate::kEnglishIndex, translate::kChineseSimplifiedIndex};
    source_speech(window, speaker);
    EXPECT_EQ(window.journal, (Journal{"select 0 2"}));
    EXPECT_EQ(take(), (Journal{"download source [你好。] zh-CN", "play source"}));

    window.journal.clear();
    window.result = "Hello";
    result_speech(window, speaker);
    EXPECT_TRUE(window.journal.empty()) << "the lists already fit the text";
    EXPECT_EQ(take(), (Journal{"download result [Hello] en", "play result"}));
}

TEST_F(Pronunciation, TheRoutinesKeepRecordsOfTheirOwn) {
    window.source = "same";
    window.result = "same";
    window.rows = {translate::kEnglishIndex, 0};
    source_speech(window, speaker);
    result_speech(window, speaker);
    EXPECT_EQ(take(),
              (Journal{"download source [same。] en", "play source", "download result [same] en", "play result"}));
    source_speech(window, speaker);
    result_speech(window, speaker);
    EXPECT_EQ(take(), (Journal{"play source", "play result"}));
}

TEST_F(Pronunciation, AFailedDownloadPlaysNothingAndIsTriedAgain) {
    window.result = "x";
    speaker.download_result = false;
    result_speech(window, speaker);
    EXPECT_EQ(take(), (Journal{"download result [x] en"}));
    EXPECT_EQ(resultSpeechRecord.last_playback, 0);
    speaker.download_result = true;
    result_speech(window, speaker);
    EXPECT_EQ(take(), (Journal{"download result [x] en", "play result"}));

    window.source = "y";
    speaker.download_result = false;
    source_speech(window, speaker);
    source_speech(window, speaker);
    EXPECT_EQ(take(), (Journal{"download source [y。] en", "download source [y。] en"}));
}
