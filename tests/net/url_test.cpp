#include <gtest/gtest.h>

#include "net/url.h"

using namespace net;

TEST(UrlSplitting, HostPortAndPath) {
    struct Case { Text url, host; int port; Text path; };
    const Case cases[] = {
        {"HTTP://Example.COM:8080/a/B?x=Y&z=1", "example.com", 8080, "/a/B?x=Y&z=1"},
        {"http://example.com", "example.com", 80, "/"},
        {"example.com/x?q", "example.com", 80, "/x?q"},
        {"http://example.com/x?q", "example.com", 80, "/x?q"},
        {"http://example.com:/x", "example.com", 0, "/x"},
        {"https://example.com/x", "https", 0, "//example.com/x"},
        {"http://127.0.0.1:18081/translate_a/t?text=a b", "127.0.0.1", 18081, "/translate_a/t?text=a b"},
        {"http://h:８０８０/", "h", 8080, "/"},
        {"http://h:abc/", "h", 0, "/"},
        {"", "", 80, "/"},
        {"http://", "", 80, "/"},
        {"/path", "", 80, "/path"},
        {"http://Host", "host", 80, "/"},
        {"http://h:99999999999/", "h", 2147483647, "/"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(url_host(c.url), c.host) << c.url;
        EXPECT_EQ(url_port(c.url), c.port) << c.url;
        EXPECT_EQ(url_path(c.url), c.path) << c.url;
    }
}

TEST(UrlSplitting, PathStartsAfterTheHostEvenWhenTheHostRepeatsLater) {
    // The host is found in the URL ignoring case; the path is the first "/" from there.
    EXPECT_EQ(url_path("http://AbC/abc/d"), "/abc/d");
    EXPECT_EQ(url_path("abc:81"), "/");
}

TEST(UrlEncode, EscapesPunctuationControlsAndEveryOtherCharactersUtf8Bytes) {
    struct Case { Text text, encoded; };
    const Case cases[] = {
        {"abc XYZ 019", "abc XYZ 019"},
        {"%", "%25"},
        {"\t", "%09"},
        {"\r\n", "%0D%0A"},
        {"中", "%E4%B8%AD"},
        {"你好", "%E4%BD%A0%E5%A5%BD"},
        {"!\"#$&'()*+,-./:;<=>?@[\\]^_`{|}~", "%21%22%23%24%26%27%28%29%2A%2B%2C%2D%2E%2F%3A%3B%3C%3D%3E%3F%40%5B%5C%5D%5E%5F%60%7B%7C%7D%7E"},
        {"\x01\x7F", "\x01\x7F"},
        {"", ""},
        {"，。", "%EF%BC%8C%E3%80%82"},
        {"乗", "%E4%B9%97"},
        {"안녕 Größe", "%EC%95%88%EB%85%95 Gr%C3%B6%C3%9Fe"},
        {"😀", "%F0%9F%98%80"},
    };
    for (const Case& c : cases) EXPECT_EQ(url_encode(c.text), c.encoded) << c.text;
}

TEST(UrlDecode, EscapesPlusAndConversion) {
    struct Case { Text text, decoded; };
    const Case cases[] = {
        {"%E4%B8%AD", "中"}, {"%e4%b8%ad", "中"}, {"a+b", "a+b"}, {"a%00b", "ab"}, {"ab%", "ab"},
        {"ab%4", "ab@"},     {"%41%42", "AB"},    {"", ""},       {"%1G", "\x0E"},  // 16 - 2 = 14
        {"\xE4\xBD\xA0\xE5\xA5\xBD", "你好"}, {"x%E4%BD%A0%E5%A5%BDy", "x你好y"},
    };
    for (const Case& c : cases) EXPECT_EQ(url_decode(c.text), c.decoded) << c.text;
    // A non-hex first digit counts -2: -2 * 16 + 1 leaves the byte E1, a cut-off UTF-8 lead byte,
    // which becomes U+FFFD rather than being dropped or read past.
    EXPECT_EQ(url_decode("%G1"), "\uFFFD");
    EXPECT_EQ(url_decode("a%E4%B8b"), "a\uFFFDb");
    EXPECT_EQ(url_decode("%C3%28"), "\uFFFD(");
    EXPECT_EQ(url_decode("%EC%95%88%EB%85%95"), "안녕");
}

