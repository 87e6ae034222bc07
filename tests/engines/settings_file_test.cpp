// tarvik.ini as real files beside the test program, and keys protected for the user.
#include <gtest/gtest.h>
#include <windows.h>

#include "engines/engine.h"
#include "engines/settings_file.h"
#include "runtime/system.h"
#include "tests/win_test_support.h"

using namespace engines;

namespace {

std::string beside_program() { return runtime::program_directory() + "\\tarvik.ini"; }

std::string in_app_data() { return test_support::environment("APPDATA") + "\\Tarvik\\tarvik.ini"; }

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        DeleteFileA(beside_program().c_str());
        DeleteFileA(in_app_data().c_str());
        RemoveDirectoryA((beside_program() + ".probe").c_str());
    }
    void write(const std::string& text) { ASSERT_TRUE(runtime::write_file(beside_program(), runtime::to_bytes(text))); }
};

}  // namespace

TEST_F(SettingsFile, KeysAreProtectedForTheUserAndReadBack) {
    for (const Text key : {Text("abc"), Text("中文密钥=;[x]"), Text(300, 'k')}) {
        std::optional<Text> stored = protect_key(key);
        ASSERT_TRUE(stored);
        EXPECT_EQ(stored->rfind("dpapi:", 0), 0u);
        EXPECT_EQ(stored->find(key), Text::npos);
        EXPECT_EQ(stored->find_first_of("\r\n"), Text::npos) << "one line in the file";
        EXPECT_EQ(unprotect_key(*stored), key);
    }
    EXPECT_FALSE(unprotect_key("dpapi:bm90IHNlYWxlZA=="));  // base64, but not sealed
    EXPECT_FALSE(unprotect_key("dpapi:***"));
}

TEST_F(SettingsFile, AFileReadsAsWrittenAndBadKeysAreTold) {
    EXPECT_EQ(load_settings().translation.engine, "classic") << "no file: classic";
    Settings saved;
    saved.translation = {"libretranslate", "https://lt.example", "s3cret", false};
    ASSERT_TRUE(save_settings(saved));
    std::string text = test_support::read_file(beside_program());
    EXPECT_EQ(text.find("s3cret"), std::string::npos);
    EXPECT_FALSE(test_support::file_present(beside_program() + ".new"));
    Settings loaded = load_settings();
    EXPECT_EQ(loaded.translation.engine, "libretranslate");
    EXPECT_EQ(loaded.translation.address, "https://lt.example");
    EXPECT_EQ(loaded.translation.key, "s3cret");
    EXPECT_FALSE(loaded.speech_section);
    EXPECT_EQ(current_settings().translation.key, "s3cret") << "saving puts the settings in force";

    // A key typed in by hand is taken as it is; one sealed for somebody else cannot be used.
    write("[translation]\r\nengine=libretranslate\r\nkey=typed-by-hand\r\n[speech]\r\n");
    loaded = load_settings();
    EXPECT_EQ(loaded.translation.key, "typed-by-hand");
    EXPECT_TRUE(loaded.speech_section) << "an empty [speech] section still counts";
    write("[translation]\r\nengine=libretranslate\r\nkey=dpapi:AAAAAAAA\r\n");
    EXPECT_NE(translation_engine(load_settings()).problem.find("[translation] key"), Text::npos);
}

TEST_F(SettingsFile, AProgramFolderThatTakesNoFileSendsItToTheUsersAppData) {
    ASSERT_FALSE(test_support::environment("APPDATA").empty());
    // A folder in the way of the probe file makes the program's folder refuse new files.
    ASSERT_TRUE(CreateDirectoryA((beside_program() + ".probe").c_str(), nullptr));
    EXPECT_EQ(settings_write_path(), in_app_data());
    Settings saved;
    saved.translation.engine = "lingva";
    saved.translation.address = "https://lingva.test";
    ASSERT_TRUE(save_settings(saved));
    EXPECT_TRUE(test_support::file_present(in_app_data()));
    EXPECT_FALSE(test_support::file_present(beside_program()));
    EXPECT_EQ(settings_read_path(), in_app_data());
    EXPECT_EQ(load_settings().translation.address, "https://lingva.test");
    // A file beside the program, once there, is the one read.
    write("[translation]\r\nengine=classic\r\n");
    EXPECT_EQ(settings_read_path(), beside_program());
    EXPECT_EQ(load_settings().translation.engine, "classic");
}
