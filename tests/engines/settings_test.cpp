// The settings file's keys, what they choose, and the one-line messages every engine shares.
#include <gtest/gtest.h>

#include <map>

#include "engines/engine.h"
#include "engines/json_text.h"
#include "engines/libretranslate.h"
#include "engines/settings.h"
#include "tarvik_config.h"

using namespace engines;

namespace {

using Ini = std::map<std::string, std::string>;  // "section/key" -> value

Settings read(const Ini& ini) {
    bool speech = false;
    for (const auto& entry : ini) speech = speech || entry.first.rfind("speech/", 0) == 0;
    return read_settings(
        [&](const char* section, const char* key) -> std::optional<Text> {
            auto found = ini.find(std::string(section) + "/" + key);
            if (found == ini.end()) return std::nullopt;
            return found->second;
        },
        speech);
}

net::HttpReply status(int code) { return net::HttpReply{code, {}, 0}; }

std::string name_of(const Choice& choice) { return choice.engine->name; }

}  // namespace

TEST(Settings, NothingWrittenMeansTheClassicEndpointsOfTheBuild) {
    Settings settings = read({});
    EXPECT_EQ(settings.translation.engine, "classic");
    EXPECT_FALSE(settings.speech_section);
    EXPECT_EQ(translate_host(settings), TARVIK_TRANSLATE_HOST);
    EXPECT_EQ(speech_host(settings), TARVIK_SPEECH_HOST);
    EXPECT_EQ(web_host(settings), TARVIK_WEB_HOST);
    EXPECT_EQ(name_of(translation_engine(settings)), "classic");
    EXPECT_TRUE(translation_engine(settings).problem.empty());
    EXPECT_EQ(name_of(speech_engine(settings)), "classic");
    // Empty values count as absent, key by key.
    Settings half = read({{"translation/engine", ""}, {"classic/translate_host", ""}, {"classic/web_host", "w:8"}});
    EXPECT_EQ(half.translation.engine, "classic");
    EXPECT_EQ(translate_host(half), TARVIK_TRANSLATE_HOST);
    EXPECT_EQ(web_host(half), "w:8");
}

TEST(Settings, EnginesAddressesAndKeys) {
    Settings libre = read({{"translation/engine", "libretranslate"}});
    Choice choice = translation_engine(libre);
    EXPECT_EQ(name_of(choice), "libretranslate");
    EXPECT_EQ(choice.address, "http://127.0.0.1:5000");
    EXPECT_TRUE(choice.key.empty());

    // No scheme means https://; slashes at the end go.
    libre = read({{"translation/engine", "libretranslate"},
                  {"translation/address", "lt.example:5000//"},
                  {"translation/key", "k-1"}});
    choice = translation_engine(libre);
    EXPECT_EQ(choice.address, "https://lt.example:5000");
    EXPECT_EQ(choice.key, "k-1");
    libre.translation.address = "https://lt.example/";
    EXPECT_EQ(translation_engine(libre).address, "https://lt.example");

    // An unknown engine names the setting to fix, and leaves the key out of the message.
    Settings unknown = read({{"translation/engine", "yandex"}, {"translation/key", "secret-key"}});
    Text problem = translation_engine(unknown).problem;
    EXPECT_NE(problem.find("[translation] engine=yandex"), Text::npos) << problem;
    EXPECT_EQ(problem.find("secret-key"), Text::npos);
    Settings unreadable = libre;
    unreadable.translation.key_unreadable = true;
    EXPECT_NE(translation_engine(unreadable).problem.find("[translation] key"), Text::npos);
}

TEST(Settings, SpeechSectionDecidesSpeech) {
    EXPECT_EQ(name_of(speech_engine(read({{"translation/engine", "libretranslate"}}))), "classic");
    EXPECT_TRUE(speech_engine(read({{"speech/engine", "none"}})).silent);
    EXPECT_EQ(name_of(speech_engine(read({{"speech/engine", "classic"}}))), "classic");
    Choice unknown = speech_engine(read({{"speech/engine", "espeak"}}));
    EXPECT_NE(unknown.problem.find("[speech] engine=espeak"), Text::npos);
}

TEST(Settings, WrittenIntoANewFileAndReadBackTheSame) {
    Settings settings;
    settings.translation = {"libretranslate", "https://lt.example", "k", false, Text("dpapi:AAAA"), "", ""};
    settings.speech_section = true;
    settings.speech = {"none", "", "", false, Text(), "", ""};
    IniLines ini;
    write_settings(ini, settings);
    EXPECT_EQ(ini_text(ini),
              "[translation]\r\nengine=libretranslate\r\naddress=https://lt.example\r\nkey=dpapi:AAAA\r\n\r\n"
              "[speech]\r\nengine=none\r\n");
    Settings back = read_settings([&](const char* section, const char* key) { return ini_value(ini, section, key); },
                                  ini_has_section(ini, "speech"));
    EXPECT_EQ(back.translation.engine, "libretranslate");
    EXPECT_EQ(back.translation.stored_key, Text("dpapi:AAAA"));
    EXPECT_TRUE(back.speech_section);
    EXPECT_EQ(back.speech.engine, "none");
    // Without a speech section none is written, and one that was there goes.
    settings.speech_section = false;
    write_settings(ini, settings);
    EXPECT_EQ(ini_text(ini),
              "[translation]\r\nengine=libretranslate\r\naddress=https://lt.example\r\nkey=dpapi:AAAA\r\n\r\n");
    // A line break in a value cannot start a key of its own.
    settings.translation.address = "http://a\r\nkey=stolen";
    write_settings(ini, settings);
    EXPECT_NE(ini_text(ini).find("address=http://a  key=stolen\r\n"), Text::npos);
    EXPECT_EQ(ini_value(ini, "translation", "key"), Text("dpapi:AAAA"));
}

TEST(Settings, AnAddressWithoutASchemeIsHttpsButForThisComputer) {
    struct Case { Text written, address; bool in_clear; };
    const Case cases[] = {
        {"lt.example", "https://lt.example", false},        {"lt.example:5000//", "https://lt.example:5000", false},
        {"127.0.0.1:5000", "http://127.0.0.1:5000", false}, {"localhost:5000/", "http://localhost:5000", false},
        {"[::1]:5000", "http://[::1]:5000", false},         {"http://lt.example", "http://lt.example", true},
        {"HTTP://192.168.1.20:5000", "HTTP://192.168.1.20:5000", true},
        {"http://127.0.0.1:5000", "http://127.0.0.1:5000", false},
        {"https://lt.example/", "https://lt.example", false},
    };
    for (const Case& c : cases) {
        Settings libre = read({{"translation/engine", "libretranslate"}, {"translation/address", c.written}});
        EXPECT_EQ(translation_engine(libre).address, c.address) << c.written;
        EXPECT_EQ(key_travels_in_clear(c.written), c.in_clear) << c.written;
    }
}

TEST(FailureLine, SaysTheEngineTheStatusAndTheServicesWords) {
    EXPECT_EQ(failure_line(libretranslate::engine(), status(429), "Slowdown: 20 per 1 minute"),
              "翻译失败：LibreTranslate 返回 HTTP 429：Slowdown: 20 per 1 minute");
    EXPECT_EQ(failure_line(libretranslate::engine(), status(500), ""), "翻译失败：LibreTranslate 返回 HTTP 500");
    EXPECT_EQ(failure_line(libretranslate::engine(), status(302), ""), "翻译失败：LibreTranslate 返回 HTTP 302");
    EXPECT_EQ(failure_line(libretranslate::engine(), status(200), ""),
              "翻译失败：LibreTranslate 的回复无法识别（HTTP 200）");
    EXPECT_EQ(failure_line(libretranslate::engine(), net::HttpReply{0, {}, net::kErrorTimeout}, ""),
              "翻译失败：LibreTranslate 没有及时回应（超时）");
    EXPECT_EQ(failure_line(libretranslate::engine(), net::HttpReply{0, {}, 12045}, ""),
              "翻译失败：LibreTranslate 的证书不受信任（错误 12045）");
    EXPECT_EQ(failure_line(libretranslate::engine(), net::HttpReply{0, {}, net::kErrorCannotConnect}, ""),
              "翻译失败：无法连接 LibreTranslate（错误 12029）");
}

TEST(FailureLine, TheServicesMessageStaysOneShortLine) {
    // Line breaks and tabs become spaces, spaces at the ends go.
    Text line = failure_line(libretranslate::engine(), status(400), u8"  第一行\r\n第二行\t!  ");
    EXPECT_EQ(line, "翻译失败：LibreTranslate 返回 HTTP 400：第一行  第二行 !");
    // A long message is cut at a character boundary: no character is cut in two.
    std::string long_message;
    for (int i = 0; i < 400; ++i) long_message += (i == 0 ? "x" : u8"长");
    Text cut = failure_line(libretranslate::engine(), status(400), long_message);
    Text message = cut.substr(cut.find("400：") + Text("400：").size());
    EXPECT_LE(message.size(), kMessageBytes);
    EXPECT_EQ(message.size() % 3, 1u) << "x, then whole three-byte characters";
}

TEST(Settings, GoogleCloudAndLingvaNeedTheirKeyOrAddress) {
    Choice google = translation_engine(read({{"translation/engine", "google-cloud"}, {"translation/key", "AIza"}}));
    EXPECT_EQ(name_of(google), "google-cloud");
    EXPECT_EQ(google.address, "https://translation.googleapis.com");
    EXPECT_TRUE(google.problem.empty());
    Text no_key = translation_engine(read({{"translation/engine", "google-cloud"}})).problem;
    EXPECT_NE(no_key.find("[translation] 写上 key"), Text::npos) << no_key;

    Choice lingva =
        translation_engine(read({{"translation/engine", "lingva"}, {"translation/address", "lingva.test/"}}));
    EXPECT_EQ(name_of(lingva), "lingva");
    EXPECT_EQ(lingva.address, "https://lingva.test");
    EXPECT_NE(translation_engine(read({{"translation/engine", "lingva"}})).problem.find("[translation] 写上 address"),
              Text::npos);
}

TEST(Settings, WithoutASpeechSectionSpeechFollowsAnEngineThatCanSpeak) {
    Choice lingva = speech_engine(read({{"translation/engine", "lingva"}, {"translation/address", "https://l.test"}}));
    EXPECT_EQ(name_of(lingva), "lingva");
    EXPECT_EQ(lingva.address, "https://l.test");
    Choice google = speech_engine(read({{"translation/engine", "google-cloud"}, {"translation/key", "AIza"}}));
    EXPECT_EQ(name_of(google), "google-cloud");
    EXPECT_EQ(google.address, "https://texttospeech.googleapis.com");
    EXPECT_EQ(google.key, "AIza");
    // LibreTranslate cannot speak, and engines that lack what they need speak classic.
    EXPECT_EQ(name_of(speech_engine(read({{"translation/engine", "libretranslate"}}))), "classic");
    EXPECT_EQ(name_of(speech_engine(read({{"translation/engine", "google-cloud"}}))), "classic");
    // A [speech] section decides for itself.
    Choice own = speech_engine(read({{"translation/engine", "lingva"},
                                     {"translation/address", "https://l.test"},
                                     {"speech/engine", "google-cloud"},
                                     {"speech/key", "k2"}}));
    EXPECT_EQ(name_of(own), "google-cloud");
    EXPECT_EQ(own.key, "k2");
    EXPECT_NE(speech_engine(read({{"speech/engine", "lingva"}})).problem.find("朗读失败："), Text::npos);
    EXPECT_NE(speech_engine(read({{"speech/engine", "libretranslate"}})).problem.find("[speech] engine=libretranslate"),
              Text::npos);
}

TEST(Settings, HotkeysAndTheTrayAsTheFileSaysThem) {
    Settings settings = read({});
    EXPECT_EQ(settings.selection_hotkey, "Ctrl+Alt+E");
    EXPECT_EQ(settings.clipboard_hotkey, "Ctrl+Alt+C");
    EXPECT_TRUE(settings.minimize_to_tray);
    // An empty value turns a hotkey off rather than falling back to the default.
    settings = read({{"hotkeys/selection", ""}, {"hotkeys/clipboard", "Win+F8"}, {"window/minimize_to_tray", "0"}});
    EXPECT_EQ(settings.selection_hotkey, "");
    EXPECT_EQ(settings.clipboard_hotkey, "Win+F8");
    EXPECT_FALSE(settings.minimize_to_tray);
    EXPECT_TRUE(read({{"window/minimize_to_tray", "1"}}).minimize_to_tray);
}

TEST(Settings, HotkeysAreWrittenOnlyWhereTheyDifferOrTheFileHasThem) {
    Settings settings;
    IniLines ini;
    write_settings(ini, settings);
    EXPECT_EQ(ini_text(ini), "[translation]\r\nengine=classic\r\n") << "the defaults need no lines";
    settings.selection_hotkey = "";
    settings.clipboard_hotkey = "Ctrl+Shift+F";
    write_settings(ini, settings);
    EXPECT_EQ(ini_text(ini), "[translation]\r\nengine=classic\r\n\r\n[hotkeys]\r\nselection=\r\nclipboard=Ctrl+Shift+F\r\n");
    Settings back = read_settings([&](const char* section, const char* key) { return ini_value(ini, section, key); },
                                  false);
    EXPECT_EQ(back.selection_hotkey, "");
    EXPECT_EQ(back.clipboard_hotkey, "Ctrl+Shift+F");
    // Back to the defaults: the lines the file has say so.
    write_settings(ini, Settings());
    EXPECT_EQ(ini_text(ini),
              "[translation]\r\nengine=classic\r\n\r\n[hotkeys]\r\nselection=Ctrl+Alt+E\r\nclipboard=Ctrl+Alt+C\r\n");
}
