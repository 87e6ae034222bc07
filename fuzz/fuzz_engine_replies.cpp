// The engines' requests and reply readers on any texts and any reply: requests are always JSON
// that carries the texts, and whatever comes back gives translations or one line to show.
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "engines/engine.h"
#include "engines/json_text.h"
#include "engines/google_cloud.h"
#include "engines/libretranslate.h"
#include "engines/lingva.h"
#include "fuzz/fuzz_input.h"

namespace {

void check_request(const std::vector<std::string>& pieces) {
    engines::Choice choice;
    choice.engine = engines::Engine::libretranslate;
    choice.address = "http://lt.test";
    net::HttpRequest request = engines::libretranslate::request(choice, pieces, "en", "zh-CN");
    nlohmann::json body = nlohmann::json::parse(request.body.begin(), request.body.end(), nullptr, false);
    if (body.is_discarded() || !body.contains("q")) std::abort();
    if (pieces.size() > 1 && (!body["q"].is_array() || body["q"].size() != pieces.size())) std::abort();
}

void check_failure_line(engines::Engine engine, const net::HttpReply& reply, const std::string& message) {
    runtime::Text line = engines::failure_line(engine, reply, message);
    if (line.find_first_of("\r\n") != runtime::Text::npos) std::abort();
    if (line.size() > 100 + engines::kMessageBytes) std::abort();
}

void check_reading(int reader, int status, const std::string& body, size_t pieces_sent) {
    net::HttpReply reply{status, runtime::Bytes(body.begin(), body.end()), 0};
    if (reader == 0) {
        engines::libretranslate::Reading reading = engines::libretranslate::read(reply, pieces_sent);
        if (reading.ok && reading.translations.size() != pieces_sent) std::abort();
        if (!reading.ok) check_failure_line(engines::Engine::libretranslate, reply, reading.message);
    } else if (reader == 1) {
        engines::google_cloud::Reading reading = engines::google_cloud::read_translation(reply, pieces_sent);
        if (reading.ok && reading.translations.size() != pieces_sent) std::abort();
        if (!reading.ok) check_failure_line(engines::Engine::google_cloud, reply, reading.message);
        std::optional<runtime::Bytes> audio = engines::google_cloud::read_speech(reply);
        if (audio && audio->empty()) std::abort();
    } else {
        engines::lingva::Reading reading = engines::lingva::read_translation(reply);
        if (reading.ok) {
            // Words never carry the marks that would cut the classic reply made of them wrongly.
            for (const auto& entry : reading.dictionary) {
                for (const std::string& word : entry.second) {
                    if (word.empty() || word.find_first_of("\",[]") != std::string::npos) std::abort();
                }
            }
        } else {
            check_failure_line(engines::Engine::lingva, reply, reading.message);
        }
        std::optional<runtime::Bytes> audio = engines::lingva::read_speech(reply);
        if (audio && audio->empty()) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    int reader = input.next_int(0, 2);
    int status = input.next_int(0, 599);
    size_t pieces_sent = static_cast<size_t>(input.next_int(1, 4));
    std::vector<std::string> pieces;
    for (size_t i = 0; i < pieces_sent; ++i) pieces.push_back(input.next_text());
    check_request(pieces);
    check_reading(reader, status, input.rest(), pieces_sent);
    return 0;
}
