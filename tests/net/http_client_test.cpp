#include <gtest/gtest.h>

#include "net/http_client.h"
#include "tests/standin.h"

using namespace net;

namespace {

const std::string kAccept =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";

class HttpClient : public ::testing::Test {
protected:
    void SetUp() override { standin::reset(); }

    std::string only_request() {
        auto records = standin::log();
        EXPECT_EQ(records.size(), 1u);
        return records.empty() ? std::string() : records.back();
    }
    static size_t occurrences(const std::string& text, const std::string& part) {
        size_t count = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
        return count;
    }
};

}  // namespace

TEST_F(HttpClient, UrlAloneSendsAGetWithTheDefaultHeaderBlock) {
    std::string url = standin::url("/echo?a=1&b=%E4");
    Bytes body = http_request(url);
    std::string request = only_request();
    EXPECT_EQ(standin::request_line(request), "GET /echo?a=1&b=%E4 HTTP/1.1");
    std::string block = kAccept + "Referer: " + url + "\r\nAccept-Language: zh-cn\r\n";
    EXPECT_NE(request.find(block), std::string::npos) << request;
    EXPECT_NE(request.find("User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n"), std::string::npos);
    EXPECT_EQ(occurrences(request, "Accept:"), 1u);
    EXPECT_EQ(std::string(body.begin(), body.end()), request);  // /echo answers with what it got
}

TEST_F(HttpClient, CallerHeadersSuppressDefaultsOnlyWithTheBlank) {
    std::string url = standin::url("/echo");
    Text headers = "accept: text/plain\r\nReferer:nowhere\r\nX-Test: 1\r\n";
    http_request(url, nullptr, nullptr, &headers);
    EXPECT_EQ(headers, "accept: text/plain\r\nReferer:nowhere\r\nX-Test: 1\r\nReferer: " + url +
                           "\r\nAccept-Language: zh-cn\r\n");
    std::string request = only_request();
    EXPECT_EQ(occurrences(request, "image/gif"), 0u);
    EXPECT_EQ(occurrences(request, "Referer: " + url), 1u);

    standin::reset();
    Text language = "ACCEPT-LANGUAGE: en\r\n";
    http_request(url, nullptr, nullptr, &language);
    EXPECT_EQ(language, "ACCEPT-LANGUAGE: en\r\n" + kAccept + "Referer: " + url + "\r\n");
    EXPECT_EQ(occurrences(only_request(), "zh-cn"), 0u);
}

TEST_F(HttpClient, MethodIsNormalisedAndWrittenBack) {
    struct Case { Text given, after, verb; };
    const Case cases[] = {{"post", "post", "post"}, {"PUT", "GET", "GET"}, {"", "GET", "GET"}, {"Post", "Post", "Post"}};
    for (const Case& c : cases) {
        standin::reset();
        Text method = c.given;
        http_request(standin::url("/echo"), &method);
        EXPECT_EQ(method, c.after);
        EXPECT_EQ(standin::request_line(only_request()), c.verb + " /echo HTTP/1.1") << c.given;
    }
}

TEST_F(HttpClient, PostBodyAddsTypeAndLengthOnlyWhenNotEmpty) {
    Text method = "POST", headers, body = "a=1&b=2";
    http_request(standin::url("/echo"), &method, nullptr, &headers, &body);
    std::string request = only_request();
    EXPECT_NE(headers.find("Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 7\r\n"),
              std::string::npos);
    EXPECT_EQ(request.substr(request.size() - 7), "a=1&b=2");

    standin::reset();
    Text empty_headers, empty_body;
    http_request(standin::url("/echo"), &method, nullptr, &empty_headers, &empty_body);
    EXPECT_EQ(empty_headers.find("Content-Type"), std::string::npos);
    request = only_request();
    EXPECT_EQ(request.substr(request.size() - 4), "\r\n\r\n");
    EXPECT_EQ(occurrences(request, "Content-Type: application/x-www-form"), 0u);
}

TEST_F(HttpClient, BodiesComeBackWholeAtChunkBoundariesAndWithZeroBytes) {
    for (int size : {0, 1, 511, 512, 513, 1024, 1025, 3 << 20}) {
        Bytes body = http_request(standin::url("/fault/big?bytes=" + std::to_string(size)));
        ASSERT_EQ(body.size(), static_cast<size_t>(size));
        for (size_t i = 0; i < body.size(); i += 997) ASSERT_EQ(body[i], (i * 7) % 251) << i;
    }
    Bytes nul = http_request(standin::url("/fault/nul"));
    const char raw[] = "[[[\"a\0b\",\"x\",\"\",\"\"]],,\"en\",,[[0]],0]\0tail";
    std::string expected(raw, sizeof raw - 1);
    EXPECT_EQ(std::string(nul.begin(), nul.end()), expected);
}

TEST_F(HttpClient, FailuresGiveWhatWasReceived) {
    EXPECT_TRUE(http_request("http://127.0.0.1:1/refused").empty());
    Bytes cut = http_request(standin::url("/fault/close"));
    EXPECT_EQ(cut.size(), 300u);
    Bytes page = http_request(standin::url("/fault/status?code=429"));
    EXPECT_NE(std::string(page.begin(), page.end()).find("<h1>429</h1>"), std::string::npos);
    Bytes redirected = http_request(standin::url("/fault/redirect"));
    EXPECT_EQ(standin::request_line(std::string(redirected.begin(), redirected.end())), "GET /echo HTTP/1.1");
}

TEST_F(HttpClient, ReplyHeadersAreReturnedWhenAskedFor) {
    Text reply_headers;
    http_request(standin::url("/echo"), nullptr, nullptr, nullptr, nullptr, &reply_headers);
    EXPECT_EQ(reply_headers.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << reply_headers;
    EXPECT_NE(reply_headers.find("Content-Type: application/octet-stream\r\n"), std::string::npos);
}
