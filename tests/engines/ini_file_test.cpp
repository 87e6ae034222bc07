// tarvik.ini's own reader and writer: what a hand-written file says, and what is kept when the
// dialog writes into it.
#include "engines/ini_file.h"

#include <gtest/gtest.h>

#include "engines/settings.h"

using namespace engines;

namespace {

const Text kHandWritten =
    "; Tarvik settings, written by hand\r\n"
    "# the company's LibreTranslate\r\n"
    "\r\n"
    "[Translation]\r\n"
    "  Engine = libretranslate   ; trailing words are part of the value\r\n"
    "address=\"https://lt.example\"\r\n"
    "timeout=30\r\n"
    "engine=lingva\r\n"
    "\r\n"
    "[plugins]\r\n"
    "colour=blue\r\n";

}  // namespace

TEST(IniFile, ReadsAsTheProfileFunctionsDo) {
    IniLines ini = parse_ini(kHandWritten);
    EXPECT_EQ(ini_value(ini, "translation", "engine"), Text("libretranslate   ; trailing words are part of the value"));
    EXPECT_EQ(ini_value(ini, "TRANSLATION", "Address"), Text("https://lt.example"));  // quotes go
    EXPECT_EQ(ini_value(ini, "translation", "key"), std::nullopt);
    EXPECT_EQ(ini_value(ini, "plugins", "colour"), Text("blue"));
    EXPECT_TRUE(ini_has_section(ini, "Plugins"));
    EXPECT_FALSE(ini_has_section(ini, "speech"));
    // Keys before any section belong to none; an empty section still counts.
    IniLines loose = parse_ini("engine=lingva\n[speech]\n");
    EXPECT_EQ(ini_value(loose, "translation", "engine"), std::nullopt);
    EXPECT_TRUE(ini_has_section(loose, "speech"));
    EXPECT_EQ(ini_value(parse_ini("[a]\nk=x=y\n[b]\nk=z"), "a", "k"), Text("x=y"));
    EXPECT_EQ(ini_value(parse_ini("[a]\n;k=x\nk=\n"), "a", "k"), Text(""));
}

TEST(IniFile, UnchangedLinesAreWrittenBackAsTheyWere) {
    IniLines ini = parse_ini(kHandWritten);
    EXPECT_EQ(ini_text(ini), kHandWritten);
    // The same value again changes nothing, not even the spacing around it.
    ini_set(ini, "translation", "engine", "libretranslate   ; trailing words are part of the value");
    EXPECT_EQ(ini_text(ini), kHandWritten);
    // A new value replaces the line where it stands; a new key goes to the end of its section,
    // before the blank line that ends it; an empty value for a missing key adds nothing.
    ini_set(ini, "translation", "engine", "google-cloud");
    ini_set(ini, "translation", "key", "dpapi:QUJD");
    ini_set(ini, "translation", "region", "");
    EXPECT_EQ(ini_text(ini),
              "; Tarvik settings, written by hand\r\n# the company's LibreTranslate\r\n\r\n[Translation]\r\n"
              "Engine=google-cloud\r\naddress=\"https://lt.example\"\r\ntimeout=30\r\nengine=lingva\r\n"
              "key=dpapi:QUJD\r\n\r\n[plugins]\r\ncolour=blue\r\n");
    // A new section goes at the end, after a blank line.
    ini_set(ini, "speech", "engine", "none");
    const Text end = "colour=blue\r\n\r\n[speech]\r\nengine=none\r\n";
    EXPECT_EQ(ini_text(ini).substr(ini_text(ini).size() - end.size()), end);
    ini_remove_section(ini, "speech");
    EXPECT_FALSE(ini_has_section(ini, "speech"));
}

TEST(IniFile, LineEndsAndAMissingLastLineEnd) {
    IniLines unix_file = parse_ini("[translation]\nengine=lingva");
    EXPECT_EQ(ini_text(unix_file), "[translation]\nengine=lingva");
    ini_set(unix_file, "translation", "address", "https://l.test");
    EXPECT_EQ(ini_text(unix_file), "[translation]\nengine=lingva\naddress=https://l.test\n");
    IniLines empty = parse_ini("");
    ini_set(empty, "translation", "engine", "classic");
    EXPECT_EQ(ini_text(empty), "[translation]\r\nengine=classic\r\n");
}

TEST(IniFile, TheFilesEncodings) {
    auto no_legacy = [](const std::string&) { return Text("<legacy>"); };
    const Text text = "[translation]\r\naddress=https://번역.example/ü\r\n";
    EXPECT_EQ(decode_settings_file(text, no_legacy), text);
    EXPECT_EQ(decode_settings_file("\xEF\xBB\xBF" + text, no_legacy), text) << "Notepad's UTF-8 with BOM";
    std::string utf16le = "\xFF\xFE", utf16be = "\xFE\xFF";
    for (char16_t unit : u"[a]\r\nk=번역") {
        if (!unit) break;
        utf16le += static_cast<char>(unit & 0xFF), utf16le += static_cast<char>(unit >> 8);
        utf16be += static_cast<char>(unit >> 8), utf16be += static_cast<char>(unit & 0xFF);
    }
    EXPECT_EQ(decode_settings_file(utf16le, no_legacy), "[a]\r\nk=번역");
    EXPECT_EQ(decode_settings_file(utf16be, no_legacy), "[a]\r\nk=번역");
    // Not UTF-8: a file of an earlier version, in the Chinese code page.
    EXPECT_EQ(decode_settings_file("[a]\r\nk=\xD6\xD0", no_legacy), "<legacy>");
    // Whatever the legacy decoder makes of it, the text is UTF-8.
    EXPECT_EQ(decode_settings_file("\xFF", [](const std::string& bytes) { return bytes; }), "\uFFFD");
    // A byte-order mark leaves the first section readable.
    IniLines ini = parse_ini(decode_settings_file("\xEF\xBB\xBF[translation]\r\nengine=lingva\r\n", no_legacy));
    EXPECT_EQ(ini_value(ini, "translation", "engine"), Text("lingva"));
}
