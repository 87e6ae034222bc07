// The translation worker's orchestration against a fake window and a fake service: which requests
// it makes, in which order, with which texts and codes, and what it shows.
#include "translate/worker.h"

#include <gtest/gtest.h>

#include "tests/fake_window.h"

using namespace translate;

namespace {

const std::string kUrlTail = "&multires=1&otf=2&ssel=0&tsel=0&sc=1";

std::string url_for(const std::string& encoded, const std::string& source, const std::string& target) {
    return "http://svc.test/translate_a/t?client=t&text=" + encoded + "&hl=zh-CN&sl=" + source + "&tl=" + target +
           kUrlTail;
}

// The service's bracketed reply for one sentence, in UTF-8 as it travels.
std::string sentence_reply(const std::string& translation) {
    return "[[[\"" + translation + "\",\"x\",\"\",\"\"]],,\"en\",,[[0]],0]";
}

class Worker : public ::testing::Test {
protected:
    void SetUp() override { fake::reset_program_values(); }
    fake::Window window;
    fake::Service service;
    engines::Settings settings = fake::classic_settings();
};

}  // namespace

TEST_F(Worker, OneLineIsOneCallWithItsDictionary) {
    window.source = "Hello, world.";
    window.rows = {kChineseSimplifiedIndex, kEnglishIndex};
    service.answer = [](const std::string&) {
        return std::string(
            u8"[[[\"你好，世界。\",\"Hello， world。\",\"\",\"\"]],[[\"感叹词\",[\"喂\",\"你好\"]]],\"en\",,[[0]],0]");
    };
    translation_worker(window, service.network(), settings);

    // Ticked, and the text starts with an ASCII byte: English into Chinese.
    ASSERT_EQ(service.urls.size(), 1u);
    EXPECT_EQ(service.urls[0], url_for("Hello%EF%BC%8C world%E3%80%82", "en", "zh-CN"));
    std::vector<std::string> expected{"select 2 0", "show 你好，世界。\r\n\r\n感叹词: 1.喂  2.你好  "};
    EXPECT_EQ(window.journal, expected);
    EXPECT_EQ(sourceLanguageCode.get(), "en");
    EXPECT_EQ(targetLanguageCode.get(), "zh-CN");
    EXPECT_EQ(window.dispatches, 2);
}

TEST_F(Worker, SeveralLinesAreTranslatedClauseByClauseWithoutDictionary) {
    window.source = "你好，世界。\r\n再见";
    window.rows = {kEnglishIndex, kChineseSimplifiedIndex};
    service.answer = [](const std::string& url) {
        if (url.find("%E4%BD%A0%E5%A5%BD") != std::string::npos) return sentence_reply("Hello");
        if (url.find("%E4%B8%96%E7%95%8C") != std::string::npos) return sentence_reply("World");
        return sentence_reply("Goodbye");
    };
    translation_worker(window, service.network(), settings);

    // Chinese first byte: Chinese into English, the target moved off Chinese.
    std::vector<std::string> urls{url_for("%E4%BD%A0%E5%A5%BD", "zh-CN", "en"),
                                  url_for("%E4%B8%96%E7%95%8C", "zh-CN", "en"),
                                  url_for("%E5%86%8D%E8%A7%81", "zh-CN", "en")};
    EXPECT_EQ(service.urls, urls);
    EXPECT_EQ(window.result, "Hello,World.\r\nGoodbye.\r\n");
    EXPECT_EQ(window.journal.front(), "select 0 2");
}

TEST_F(Worker, UntickedTheListsDecideAndStayAsTheyAre) {
    window.ticked = false;
    window.source = "你好";
    window.rows = {17, 19};  // 德语 into 法语, though the text is Chinese
    translation_worker(window, service.network(), settings);
    ASSERT_EQ(service.urls.size(), 1u);
    EXPECT_EQ(service.urls[0], url_for("%E4%BD%A0%E5%A5%BD", "de", "fr"));
    EXPECT_EQ(window.rows.source, 17);
    EXPECT_EQ(window.rows.target, 19);
    EXPECT_EQ(window.journal.size(), 1u) << "nothing selected, only the result shown";
}

TEST_F(Worker, TickedButAlreadyRightSelectsNothing) {
    window.source = "plain text";
    window.rows = {kEnglishIndex, 3};
    translation_worker(window, service.network(), settings);
    ASSERT_EQ(service.urls.size(), 1u);
    EXPECT_EQ(service.urls[0], url_for("plain text", "en", "ja"));
    EXPECT_EQ(window.journal.front().rfind("show ", 0), 0u);
}

TEST_F(Worker, AListWithoutSelectionKeepsTheLastCode) {
    targetLanguageCode.set("ko");
    window.ticked = false;
    window.source = "a";
    window.rows = {kEnglishIndex, -1};
    translation_worker(window, service.network(), settings);
    ASSERT_EQ(service.urls.size(), 1u);
    EXPECT_EQ(service.urls[0], url_for("a", "en", "ko"));
}

TEST_F(Worker, NoLineMeansNoRequestAndTheOldResultStays) {
    for (const char* source : {"", "\r\n", "\r\n\r\n\r\n"}) {
        window.source = source;
        window.result = "earlier result";
        window.journal.clear();
        translation_worker(window, service.network(), settings);
        EXPECT_TRUE(service.urls.empty()) << source;
        EXPECT_EQ(window.result, "earlier result");
    }
}

TEST_F(Worker, AnEmptyReplyShowsWhatTheCuttingMakesOfIt) {
    window.source = "Hello";
    window.result = "earlier result";
    translation_worker(window, service.network(), settings);  // 200, and an empty body
    EXPECT_EQ(service.urls.size(), 1u);
    EXPECT_EQ(window.result, "\r\n\r\n字典: ");
}

TEST_F(Worker, ARefusalOrNoAnswerIsOneLineAndEndsTheRun) {
    window.source = "a\r\nb\r\nc";
    service.status = [](const std::string& url) { return url.find("text=b") != std::string::npos ? 403 : 200; };
    service.answer = [](const std::string&) { return sentence_reply("t"); };
    translation_worker(window, service.network(), settings);
    EXPECT_EQ(service.urls.size(), 2u) << "nothing is asked after the refusal";
    EXPECT_EQ(window.result.rfind("翻译失败：经典接口拒绝了请求（HTTP 403", 0), 0u) << window.result;
    EXPECT_NE(window.result.find("服务设置"), std::string::npos) << "where to choose another service";
    EXPECT_NE(window.result.find("google-web"), std::string::npos) << "the service that needs no key";

    service.urls.clear();
    service.status = [](const std::string&) { return 0; };
    window.source = "Hello";
    translation_worker(window, service.network(), settings);
    EXPECT_EQ(window.result.rfind("翻译失败：经典接口没有回应（无法连接，或者超时）。", 0), 0u) << window.result;
}

TEST_F(Worker, ATextInAScriptOfSeveralLanguagesIsLeftToTheServiceToDetect) {
    window.source = "Привет";
    window.rows = {kEnglishIndex, kChineseSimplifiedIndex};
    service.answer = [](const std::string&) { return std::string(R"([[["你好","Привет","",""]],,"ru",,[[0]],0])"); };
    translation_worker(window, service.network(), settings);
    ASSERT_EQ(service.urls.size(), 1u);
    EXPECT_EQ(service.urls[0], url_for("%D0%9F%D1%80%D0%B8%D0%B2%D0%B5%D1%82", "auto", "zh-CN"));
    // The reply names the language it detected: no dictionary, and none shown.
    EXPECT_EQ(window.result, "你好");
    EXPECT_EQ(window.rows.source, kEnglishIndex) << "the list is left as it was";

    // A script of one language picks it in the list.
    service.urls.clear();
    window.source = "안녕";
    translation_worker(window, service.network(), settings);
    EXPECT_EQ(service.urls.at(0), url_for("%EC%95%88%EB%85%95", "ko", "zh-CN"));
    EXPECT_EQ(window.rows.source, 4);
}

TEST_F(Worker, ATranslationCallReadsTheListsEveryTime) {
    window.source = "x";
    std::vector<std::string> seen;
    service.answer = [&](const std::string& url) {
        seen.push_back(url);
        window.rows.target = 19;  // the user picks French while the first clause is on its way
        return sentence_reply("t");
    };
    window.ticked = false;
    EXPECT_EQ(translation_call(window, service.get(), "svc.test", "a", false).display, "t");
    translation_call(window, service.get(), "svc.test", "b", false);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], url_for("a", "en", "zh-CN"));
    EXPECT_EQ(seen[1], url_for("b", "en", "fr"));
}

namespace {

// A LibreTranslate server in the fake: "<target>:<text>" for each text, and a batch limit; an
// older one that has no /frontend/settings.
net::HttpReply libre_server(const net::HttpRequest& request, size_t batch_limit, int& requests) {
    if (request.url.find("/frontend/settings") != std::string::npos) return net::HttpReply{404, {}, 0};
    ++requests;
    std::string body(request.body.begin(), request.body.end());
    std::vector<std::string> texts;
    bool list = body.find("\"q\":[") != std::string::npos;
    size_t at = body.find("\"q\":") + (list ? 5 : 4);
    while (body[at] == '"') {
        size_t end = body.find('"', at + 1);
        texts.push_back(body.substr(at + 1, end - at - 1));
        at = end + 1;
        if (!list) break;
        if (body[at] == ',') ++at;
    }
    auto reply = [](int status, const std::string& text) {
        return net::HttpReply{status, Bytes(text.begin(), text.end()), 0};
    };
    if (texts.size() > batch_limit) {
        return reply(400, "{\"error\":\"Invalid request: request (" + std::to_string(texts.size()) +
                              ") exceeds text limit (" + std::to_string(batch_limit) + ")\"}");
    }
    std::string out;
    for (const std::string& text : texts) out += (out.empty() ? "" : ",") + std::string("\"zh:") + text + "\"";
    return reply(200, "{\"translatedText\":" + (list ? "[" + out + "]" : out) + "}");
}

}  // namespace

class EngineWorker : public Worker {
protected:
    void SetUp() override {
        Worker::SetUp();
        settings.translation = {"libretranslate", "http://lt.test", "", false, Text(), "", ""};
        window.ticked = false;
        window.rows = {kEnglishIndex, kChineseSimplifiedIndex};
    }
    std::string run(size_t batch_limit, int& requests) {
        service.engine = [&](const net::HttpRequest& request) { return libre_server(request, batch_limit, requests); };
        window.result.clear();
        translation_worker(window, service.network(), settings);
        return window.result;
    }
};

TEST_F(EngineWorker, SeveralLinesGoInOneBatchAndShowWhatPieceByPieceShows) {
    window.source = "one, two.\r\nthree\r\n\r\nfour. five";
    int batched = 0, one_by_one = 0;
    std::string all_at_once = run(100, batched);
    std::string piece_by_piece = run(1, one_by_one);
    EXPECT_EQ(batched, 1);
    EXPECT_EQ(one_by_one, 1 + 4) << "refused once, then one text a request as the server said";
    EXPECT_EQ(all_at_once, piece_by_piece);
    for (const char* piece : {"zh:one", "zh:three", "zh:four", "\r\n\r\n"}) {
        EXPECT_NE(all_at_once.find(piece), std::string::npos) << piece;
    }
    EXPECT_TRUE(service.urls.empty()) << "nothing goes to the classic endpoint";
    EXPECT_EQ(service.requests[0].url, "http://lt.test/frontend/settings");
    EXPECT_EQ(service.requests[1].url, "http://lt.test/translate");
}

TEST_F(EngineWorker, OneLineIsOneTextAndShowsItsTranslation) {
    window.source = "Hello, world.";
    int requests = 0;
    EXPECT_EQ(run(100, requests), "zh:Hello， world。");
    EXPECT_EQ(requests, 1);
    std::string body(service.requests[1].body.begin(), service.requests[1].body.end());
    EXPECT_NE(body.find("\"q\":\"Hello"), std::string::npos) << body;
    EXPECT_EQ(sourceLanguageCode.get(), "en");
}

TEST_F(EngineWorker, TranslationsHoldingTheClassicReplysMarksAreShownWhole) {
    window.source = "quotes\r\ncode";
    service.engine = [](const net::HttpRequest& request) {
        std::string body = request.url.find("/frontend") != std::string::npos
                               ? std::string()
                               : R"({"translatedText": ["He said \",\" and see [1],[2]", "a]],b]],[c"]})";
        return net::HttpReply{request.url.find("/frontend") != std::string::npos ? 404 : 200,
                              Bytes(body.begin(), body.end()), 0};
    };
    translation_worker(window, service.network(), settings);
    EXPECT_EQ(window.result, "He said \",\" and see [1],[2].\r\na]],b]],[c.\r\n");
}

TEST_F(EngineWorker, ADetectedSourceIsAskedForAsTheEngineSpellsIt) {
    window.ticked = true;
    window.source = "Ñandú";
    int requests = 0;
    run(100, requests);
    std::string body(service.requests.back().body.begin(), service.requests.back().body.end());
    EXPECT_NE(body.find("\"source\":\"auto\""), std::string::npos) << body;
}

TEST_F(EngineWorker, ARefusalShowsOneLineAndNothingHalfTranslated) {
    window.source = "a\r\nb";
    service.engine = [](const net::HttpRequest&) {
        std::string body = R"({"error": "Slowdown: 20 per 1 minute"})";
        return net::HttpReply{429, Bytes(body.begin(), body.end()), 0};
    };
    translation_worker(window, service.network(), settings);
    EXPECT_EQ(window.result, "翻译失败：LibreTranslate 返回 HTTP 429：Slowdown: 20 per 1 minute");
    EXPECT_EQ(window.source, "a\r\nb");
}

TEST_F(EngineWorker, AnUnknownEngineSendsNothing) {
    settings.translation.engine = "systran";
    window.source = "a";
    translation_worker(window, service.network(), settings);
    EXPECT_TRUE(service.requests.empty());
    EXPECT_TRUE(service.urls.empty());
    EXPECT_NE(window.result.find("[translation] engine=systran"), std::string::npos) << window.result;
    // Without a line of text there is nothing to say either.
    window.source = "\r\n";
    window.result = "kept";
    translation_worker(window, service.network(), settings);
    EXPECT_EQ(window.result, "kept");
}

TEST_F(EngineWorker, LingvaShowsTheDictionaryAsTheClassicEndpointDid) {
    settings.translation = {"lingva", "http://lingva.test", "", false, Text(), "", ""};
    window.source = "print";
    service.engine = [](const net::HttpRequest& request) {
        std::string body = request.url.find("/print") != std::string::npos
                               ? std::string(
                                     u8R"({"translation": "打印", "info": {"extraTranslations": [
                                     {"type": "noun", "list": [{"word": "打印"}, {"word": "印刷品"}]},
                                     {"type": "verb", "list": [{"word": "打印"}]}]}})")
                               : R"({"translation": "t"})";
        return net::HttpReply{200, Bytes(body.begin(), body.end()), 0};
    };
    translation_worker(window, service.network(), settings);
    EXPECT_EQ(window.result, "打印\r\n\r\n名词: 1.打印  2.印刷品  \r\n\r\n动词: 打印\r\n\r\n");
    EXPECT_EQ(service.requests.at(0).url, "http://lingva.test/api/v1/en/zh/print");

    // Several lines: one request a clause, and no dictionary.
    service.requests.clear();
    window.source = "print\r\nb";
    window.result.clear();
    translation_worker(window, service.network(), settings);
    EXPECT_EQ(service.requests.size(), 2u);
    EXPECT_EQ(window.result, "打印.\r\nt.\r\n");
    // Traditional Chinese as the source goes as Chinese, which Lingva takes.
    service.requests.clear();
    window.rows = {1, kEnglishIndex};
    window.source = "打印";
    translation_worker(window, service.network(), settings);
    EXPECT_EQ(service.requests.at(0).url, "http://lingva.test/api/v1/zh/en/%E6%89%93%E5%8D%B0");
}

TEST_F(EngineWorker, GoogleCloudBatchesShowWhatPieceByPieceShows) {
    settings.translation = {"google-cloud", "https://g.test", "k", false, Text(), "", ""};
    std::string source;
    for (int i = 0; i < 300; ++i) source += "line" + std::to_string(i) + "\r\n";
    window.source = source;
    service.engine = [](const net::HttpRequest& request) {
        std::string body(request.body.begin(), request.body.end());
        std::string out;
        for (size_t at = body.find("\"line"); at != std::string::npos; at = body.find("\"line", at + 1)) {
            out += std::string(out.empty() ? "" : ",") +
                   "{\"translatedText\": \"de:" + body.substr(at + 1, body.find('"', at + 1) - at - 1) + "\"}";
        }
        std::string reply = "{\"data\": {\"translations\": [" + out + "]}}";
        return net::HttpReply{200, Bytes(reply.begin(), reply.end()), 0};
    };
    translation_worker(window, service.network(), settings);
    EXPECT_EQ(service.requests.size(), 3u) << "128 texts a request";
    std::string expected;
    for (int i = 0; i < 300; ++i) expected += "de:line" + std::to_string(i) + ".\r\n";
    EXPECT_EQ(window.result, expected);
    EXPECT_NE(service.requests[0].headers.find("X-Goog-Api-Key: k\r\n"), std::string::npos);
}
