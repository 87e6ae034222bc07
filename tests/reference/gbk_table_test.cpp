// The reference's conversion against Windows' own code page 936: the native build writes every
// valid GBK double-byte character with the UTF-8 that iconv gives it; the Windows build reads the
// table and checks that MultiByteToWideChar and WideCharToMultiByte with code page 936 agree, so
// that the reference converts exactly as the classic program did.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#ifdef _WIN32
#include <windows.h>

#include "runtime/utf.h"
#include "tests/win_test_support.h"
#else
#include "tests/reference/gbk_classic.h"
#endif

namespace {

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char byte : bytes) {
        out += digits[byte >> 4];
        out += digits[byte & 15];
    }
    return out;
}

std::string unhex(const std::string& text) {
    std::string bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 2)
        bytes += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
    return bytes;
}

}  // namespace

#ifndef _WIN32
TEST(GbkTable, EveryValidDoubleByteCharacterRoundTrips) {
    std::ofstream table(TARVIK_GBK_TABLE_OUT);
    int valid = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            std::string utf8 = gbk_classic::to_utf8(pair);
            if (utf8 == "\xEF\xBF\xBD" || gbk_classic::to_gbk(utf8) != pair) continue;
            ++valid;
            table << hex(pair) << ' ' << hex(utf8) << '\n';
        }
    }
    EXPECT_GT(valid, 21000);  // GBK holds 21,886 characters, a few of them mapped to private use
}
#else
TEST(GbkTable, CodePage936AgreesWithTheReference) {
    std::string path = test_support::environment("TARVIK_GBK_TABLE");
    ASSERT_FALSE(path.empty()) << "scripts/test points TARVIK_GBK_TABLE at the table the native tests wrote";
    std::ifstream table(test_support::windows_path(path));
    ASSERT_TRUE(table.good()) << path;
    std::string gbk_hex, utf8_hex;
    int checked = 0, differing = 0;
    while (table >> gbk_hex >> utf8_hex) {
        std::string pair = unhex(gbk_hex);
        wchar_t units[4] = {};
        int count = MultiByteToWideChar(936, 0, pair.data(), 2, units, 4);
        std::string utf8 = runtime::narrow(units, count > 0 ? count : 0);
        char back[8] = {};
        int back_size = WideCharToMultiByte(936, 0, units, count, back, sizeof back, nullptr, nullptr);
        if (hex(utf8) != utf8_hex || std::string(back, back_size > 0 ? back_size : 0) != pair) {
            if (++differing <= 10) ADD_FAILURE() << gbk_hex << ": system " << hex(utf8) << ", table " << utf8_hex;
        }
        ++checked;
    }
    EXPECT_GT(checked, 21000);
    EXPECT_EQ(differing, 0);
}
#endif
