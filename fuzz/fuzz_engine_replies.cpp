// The engines' requests and reply readers on any texts and any reply: requests are always JSON
// that carries the texts, and whatever comes back gives translations (valid UTF-8, one per text)
// or one line to show. A whole run through each engine with a server that always answers those
// bytes ends, in a bounded number of requests.
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "engines/deepl.h"
#include "engines/engine.h"
#include "engines/google_cloud.h"
#include "engines/google_web.h"
#include "engines/json_text.h"
#include "engines/libretranslate.h"
#include "engines/lingva.h"
#include "engines/microsoft.h"
#include "fuzz/fuzz_input.h"
#include "runtime/utf.h"

namespace {

const int kMostRequests = 2000;

void require(bool condition) {
    if (!condition) std::abort();
}

engines::Choice choice_of(const engines::EngineRow& engine) {
    engines::Choice choice;
    choice.engine = &engine;
    choice.address = "http://svc.test";
    choice.key = "k";
    return choice;
}

void check_request(const std::vector<std::string>& pieces) {
    net::HttpRequest request =
        engines::libretranslate::request(choice_of(engines::libretranslate::engine()), pieces, "en", "zh");
    nlohmann::json body = nlohmann::json::parse(request.body.begin(), request.body.end(), nullptr, false);
    require(!body.is_discarded() && body.contains("q"));
    if (pieces.size() > 1) require(body["q"].is_array() && body["q"].size() == pieces.size());
}

void check_line(const runtime::Text& line) {
    require(line.find_first_of("\r\n") == runtime::Text::npos);
    require(line.size() <= 200 + engines::kMessageBytes);
    require(runtime::is_valid_utf8(line));
}

void check_failure_line(const engines::EngineRow& engine, const net::HttpReply& reply, const std::string& message) {
    check_line(engines::failure_line(engine, reply, message));
}

void check_dictionary(const engines::PieceTranslation& translation) {
    if (!translation.dictionary) return;
    for (const engines::DictionaryEntry& entry : translation.dictionary->entries) {
        require(!entry.words.empty());
        for (const runtime::Text& word : entry.words) require(!word.empty() && runtime::is_valid_utf8(word));
    }
}

void check_readings(const net::HttpReply& reply, size_t pieces_sent) {
    engines::libretranslate::Reading libre = engines::libretranslate::read(reply, pieces_sent);
    if (libre.ok) require(libre.translations.size() == pieces_sent);
    if (!libre.ok) check_failure_line(engines::libretranslate::engine(), reply, libre.message);
    engines::google_cloud::Reading google = engines::google_cloud::read_translation(reply, pieces_sent);
    if (google.ok) require(google.translations.size() == pieces_sent);
    if (!google.ok) check_failure_line(engines::google_cloud::engine(), reply, google.message);
    engines::lingva::Reading lingva = engines::lingva::read_translation(reply, true);
    if (lingva.ok) check_dictionary(lingva.translation);
    if (!lingva.ok) check_failure_line(engines::lingva::engine(), reply, lingva.message);
    engines::deepl::Reading deepl = engines::deepl::read_translation(reply, pieces_sent);
    if (deepl.ok) require(deepl.translations.size() == pieces_sent);
    if (!deepl.ok) check_failure_line(engines::deepl::engine(), reply, deepl.message);
    engines::microsoft::Reading microsoft = engines::microsoft::read_translation(reply, pieces_sent);
    if (microsoft.ok) require(microsoft.translations.size() == pieces_sent);
    if (!microsoft.ok) check_failure_line(engines::microsoft::engine(), reply, microsoft.message);
    if (std::optional<engines::Dictionary> words = engines::microsoft::read_lookup(reply)) {
        require(!words->entries.empty());
        for (const engines::DictionaryEntry& entry : words->entries) require(!entry.words.empty());
    }
    engines::google_web::Reading web = engines::google_web::read_translation(reply, true);
    if (web.ok) check_dictionary(web.translation);
    if (web.ok) require(runtime::is_valid_utf8(web.translation.text));
    if (!web.ok) check_line(engines::google_web::refusal_line(choice_of(engines::google_web::engine()), reply));
    for (auto read : {engines::google_cloud::read_speech, engines::lingva::read_speech, engines::google_web::read_speech}) {
        std::optional<runtime::Bytes> audio = read(reply);
        require(!audio || !audio->empty());
    }
}

void check_run(const engines::EngineRow& engine, const std::vector<std::string>& pieces, const net::HttpReply& reply) {
    int requests = 0;
    net::HttpSend send = [&](const net::HttpRequest&) {
        return ++requests > kMostRequests ? net::HttpReply{0, {}, 12029} : reply;
    };
    engines::Translations translations =
        engines::translate_pieces(choice_of(engine), pieces, pieces.size() == 1, {"en", "英语"}, {"zh-CN", "中文"}, send);
    require(requests <= kMostRequests);
    if (translations.failure.empty()) {
        require(translations.pieces.size() == pieces.size());
        for (const engines::PieceTranslation& piece : translations.pieces) require(runtime::is_valid_utf8(piece.text));
    } else {
        require(translations.failure.find_first_of("\r\n") == runtime::Text::npos);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    int engine = input.next_int(0, 5);
    int status = input.next_int(0, 599);
    size_t pieces_sent = static_cast<size_t>(input.next_int(1, 4));
    std::vector<std::string> pieces;
    for (size_t i = 0; i < pieces_sent; ++i) pieces.push_back(runtime::valid_utf8(input.next_text()));
    check_request(pieces);
    std::string body = input.rest();
    net::HttpReply reply{status, runtime::Bytes(body.begin(), body.end()), 0};
    check_readings(reply, pieces_sent);
    const engines::EngineRow* rows[] = {&engines::libretranslate::engine(), &engines::google_cloud::engine(),
                                        &engines::lingva::engine(), &engines::deepl::engine(),
                                        &engines::microsoft::engine(), &engines::google_web::engine()};
    check_run(*rows[engine], pieces, reply);
    return 0;
}
