// tarvik.ini as real files beside the test program and in %APPDATA%, and keys protected for the user.
#include "engines/settings_file.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "engines/engine.h"
#include "runtime/system.h"
#include "runtime/utf.h"
#include "tests/win_test_support.h"

using namespace engines;
using runtime::wide;

namespace {

std::string beside_program() { return runtime::program_directory() + "\\tarvik.ini"; }

std::string in_app_data() { return test_support::environment("APPDATA") + "\\Tarvik\\tarvik.ini"; }

std::string probe_folder() { return runtime::program_directory() + "\\tarvik.ini.probe"; }

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        for (const std::string& file : {beside_program(), in_app_data(), beside_program() + ".new"}) {
            SetFileAttributesW(wide(file).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(wide(file).c_str());
        }
        RemoveDirectoryW(wide(probe_folder()).c_str());
        RemoveDirectoryW(wide(beside_program() + ".new").c_str());
    }
    void write(const std::string& bytes) {
        ASSERT_TRUE(runtime::write_file(beside_program(), runtime::to_bytes(bytes)));
    }
};

Settings with_translation(const std::string& engine, const std::string& address, const std::string& typed_key) {
    Settings settings;
    settings.translation = {engine, address, typed_key, false, std::nullopt, "", ""};
    return settings;
}

}  // namespace

TEST_F(SettingsFile, KeysAreProtectedForTheUserAndReadBack) {
    for (const Text& key : {Text("abc"), Text("中文密钥=;[x]"), Text("키 😀"), Text(300, 'k')}) {
        std::optional<Text> stored = protect_key(key);
        ASSERT_TRUE(stored);
        EXPECT_EQ(stored->rfind("dpapi:", 0), 0u);
        EXPECT_EQ(stored->find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=", 6),
                  Text::npos)
            << "base64 on one line";
        EXPECT_EQ(unprotect_key(*stored), key);
    }
    EXPECT_FALSE(unprotect_key("dpapi:bm90IHNlYWxlZA=="));  // base64, but not sealed
    EXPECT_FALSE(unprotect_key("dpapi:***"));
}

TEST_F(SettingsFile, AFileReadsAsWritten) {
    EXPECT_EQ(load_settings().translation.engine, "classic") << "no file: classic";
    ASSERT_TRUE(save_settings(with_translation("libretranslate", "https://번역.example", "s3cret")).saved);
    std::string text = test_support::read_file(beside_program());
    EXPECT_EQ(text.find("s3cret"), std::string::npos);
    EXPECT_NE(text.find("address=https://번역.example\r\n"), std::string::npos) << "UTF-8, any character";
    EXPECT_EQ(text.rfind("\xEF\xBB\xBF", 0), std::string::npos) << "no byte-order mark";
    EXPECT_FALSE(test_support::file_present(beside_program() + ".new"));
    Settings loaded = load_settings();
    EXPECT_EQ(loaded.translation.engine, "libretranslate");
    EXPECT_EQ(loaded.translation.address, "https://번역.example");
    EXPECT_EQ(loaded.translation.key, "s3cret");
    EXPECT_FALSE(loaded.speech_section);
    EXPECT_EQ(current_settings().translation.key, "s3cret") << "saving puts the settings in force";

    // A key typed in by hand is taken as it is; an empty [speech] section still counts.
    write("[translation]\r\nengine=libretranslate\r\nkey=typed-by-hand\r\n[speech]\r\n");
    loaded = load_settings();
    EXPECT_EQ(loaded.translation.key, "typed-by-hand");
    EXPECT_TRUE(loaded.speech_section);
}

TEST_F(SettingsFile, CommentsUnknownKeysAndKeysLeftAloneAreWrittenBackAsTheyWere) {
    const std::string hand_written =
        "; my settings\r\n[translation]\r\nengine=libretranslate\r\nkey=typed-by-hand\r\ntimeout=9\r\n\r\n"
        "[speech]\r\nengine=google-cloud\r\nkey=dpapi:"
        "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\r\n"
        "\r\n[plugins]\r\n# colour of the window\r\ncolour=blue\r\n";
    write(hand_written);
    Settings loaded = load_settings();
    EXPECT_TRUE(loaded.speech.key_unreadable) << "sealed by another user";
    EXPECT_NE(speech_engine(loaded).problem.find("[speech] key"), Text::npos);
    // The dialog changes the address only: both keys stay exactly as they were, the plain one too.
    loaded.translation.address = "https://lt.example";
    ASSERT_TRUE(save_settings(loaded).saved);
    std::string expected = hand_written;
    expected.insert(expected.find("timeout=9\r\n") + 11, "address=https://lt.example\r\n");
    EXPECT_EQ(test_support::read_file(beside_program()), expected);
}

TEST_F(SettingsFile, EncodingsOfHandWrittenFiles) {
    // Notepad's "UTF-8 with BOM": the first section is read too.
    write("\xEF\xBB\xBF[translation]\r\nengine=lingva\r\naddress=https://lingva.예시\r\n");
    EXPECT_EQ(load_settings().translation.engine, "lingva");
    EXPECT_EQ(load_settings().translation.address, "https://lingva.예시");
    // UTF-16 with its mark, as Notepad's "Unicode".
    std::wstring units = L"\xFEFF[translation]\r\nengine=lingva\r\naddress=https://ü.test\r\n";
    write(std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2));
    EXPECT_EQ(load_settings().translation.address, "https://ü.test");
    // A file of an earlier version, in code page 936.
    write("[translation]\r\nengine=lingva\r\naddress=https://\xD6\xD0.test\r\n");
    EXPECT_EQ(load_settings().translation.address, "https://中.test");
    // Written back, it becomes UTF-8 without a mark.
    Settings loaded = load_settings();
    loaded.translation.engine = "libretranslate";
    ASSERT_TRUE(save_settings(loaded).saved);
    EXPECT_EQ(test_support::read_file(beside_program()),
              "[translation]\r\nengine=libretranslate\r\naddress=https://中.test\r\n");
}

TEST_F(SettingsFile, TheFileReadIsTheFileWritten) {
    ASSERT_FALSE(test_support::environment("APPDATA").empty());
    // A folder in the way of the probe file makes the program's folder refuse new files: without a
    // file anywhere, the user's folder takes it.
    ASSERT_TRUE(CreateDirectoryW(wide(probe_folder()).c_str(), nullptr));
    EXPECT_EQ(settings_path(), in_app_data());
    ASSERT_TRUE(save_settings(with_translation("lingva", "https://lingva.test", "")).saved);
    EXPECT_TRUE(test_support::file_present(in_app_data()));
    EXPECT_FALSE(test_support::file_present(beside_program()));
    EXPECT_EQ(load_settings().translation.address, "https://lingva.test");

    // A file beside the program, once there, is read and written, also when a write fails: then
    // the user is told which file and why, and nothing goes elsewhere.
    write("[translation]\r\nengine=classic\r\n");
    EXPECT_EQ(settings_path(), beside_program());
    EXPECT_EQ(load_settings().translation.engine, "classic");
    ASSERT_TRUE(CreateDirectoryW(wide(beside_program() + ".new").c_str(), nullptr));  // in the way of the write
    SaveResult refused = save_settings(with_translation("libretranslate", "", ""));
    EXPECT_FALSE(refused.saved);
    EXPECT_NE(refused.problem.find(beside_program()), Text::npos) << refused.problem;
    EXPECT_NE(refused.problem.find("管理员"), Text::npos) << "what to do";
    EXPECT_EQ(test_support::read_file(beside_program()), "[translation]\r\nengine=classic\r\n");
    EXPECT_EQ(load_settings().translation.engine, "classic");
    EXPECT_EQ(test_support::read_file(in_app_data()).find("libretranslate"), std::string::npos);
}
