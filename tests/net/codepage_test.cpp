// Every valid GBK double-byte character converted to UTF-8 and back. The native build writes the
// table its iconv backend makes; the Windows build reads it and checks that the system's own
// conversion gives the same bytes.
#include <gtest/gtest.h>

#include <cstdio>
#ifdef _WIN32
#include <windows.h>
#endif
#include <fstream>
#include <sstream>

#include "net/codepage.h"
#ifdef _WIN32
#include "tests/win_test_support.h"
#endif

using namespace net;

namespace {

Text hex(const Bytes& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    Text out;
    for (unsigned char byte : bytes) {
        if (byte == 0) break;
        out += digits[byte >> 4];
        out += digits[byte & 15];
    }
    return out;
}

// A pair is valid when it converts to something other than the default characters and back to itself.
bool converts_both_ways(const Text& pair, Bytes& utf8) {
    utf8 = ansi_to_utf8(pair);
    Text back = utf8_to_ansi(utf8);
    return back == pair && hex(utf8) != "3F" && hex(utf8) != "EFBFBD";
}

}  // namespace

#ifdef TARVIK_GBK_TABLE_OUT
TEST(GbkTable, EveryValidDoubleByteCharacterRoundTrips) {
    std::ofstream table(TARVIK_GBK_TABLE_OUT);
    int valid = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            Text pair{static_cast<char>(lead), static_cast<char>(trail)};
            Bytes utf8;
            if (!converts_both_ways(pair, utf8)) continue;
            ++valid;
            table << hex(Bytes(pair.begin(), pair.end())) << ' ' << hex(utf8) << '\n';
        }
    }
    EXPECT_GT(valid, 21000);  // GBK holds 21,886 characters, a few of them mapped to private use
}
#else
TEST(GbkTable, SystemConversionAgreesWithTheNativeBackend) {
    char path[1024] = {};
    ASSERT_GT(GetEnvironmentVariableA("TARVIK_GBK_TABLE", path, sizeof path), 0u)
        << "scripts/test points TARVIK_GBK_TABLE at the table the native tests wrote";
    std::string windows_path = test_support::windows_path(path);
    std::ifstream table(windows_path);
    ASSERT_TRUE(table.good()) << windows_path;
    std::string gbk_hex, utf8_hex;
    int checked = 0, differing = 0;
    while (table >> gbk_hex >> utf8_hex) {
        Text pair{static_cast<char>(std::stoi(gbk_hex.substr(0, 2), nullptr, 16)),
                  static_cast<char>(std::stoi(gbk_hex.substr(2, 2), nullptr, 16))};
        Bytes utf8;
        bool valid = converts_both_ways(pair, utf8);
        if (!valid || hex(utf8) != utf8_hex) {
            if (++differing <= 10) ADD_FAILURE() << gbk_hex << ": system " << hex(utf8) << ", table " << utf8_hex;
        }
        ++checked;
    }
    EXPECT_GT(checked, 21000);
    EXPECT_EQ(differing, 0);
}
#endif
