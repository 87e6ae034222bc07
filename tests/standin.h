// Talking to the local stand-in service (tools/standin.py) that scripts/test starts.
#pragma once

#include <string>
#include <vector>

#include "engines/settings.h"
#include "engines/settings_file.h"
#include "net/http_client.h"
#include "tests/win_test_support.h"

namespace standin {

inline std::string host() { return "127.0.0.1:" + test_support::environment("TARVIK_STANDIN_PORT", "18081"); }
inline std::string url(const std::string& path) { return "http://" + host() + path; }

// Classic settings with every classic endpoint at the stand-in, as the tests' program uses them.
inline engines::Settings settings() {
    engines::Settings settings;
    settings.translate_host = settings.speech_host = settings.web_host = host();
    return settings;
}
inline void use_classic_hosts(const std::string& translate_host = host(), const std::string& web_host = host()) {
    engines::Settings in_force = settings();
    in_force.translate_host = translate_host;
    in_force.web_host = web_host;
    engines::use_settings(in_force);
}

inline std::string get(const std::string& path) { return runtime::to_text(net::http_request(url(path))); }
inline void reset() { get("/_reset"); }
// Every later service request misbehaves as the query says, e.g. "fault=stall&seconds=3".
inline void mode(const std::string& query) { get("/_mode?" + query); }
inline int count(const std::string& prefix) { return std::stoi("0" + get("/_count?path=" + prefix)); }

// The recorded requests, each exactly as the service received it.
inline std::vector<std::string> log() {
    net::Bytes raw = net::http_request(url("/_log"));
    std::string all(raw.begin(), raw.end());
    std::vector<std::string> records;
    size_t at = 0;
    while (at < all.size()) {
        size_t newline = all.find('\n', at);
        if (newline == std::string::npos) break;
        size_t length = std::stoul(all.substr(at, newline - at));
        records.push_back(all.substr(newline + 1, length));
        at = newline + 1 + length;
    }
    return records;
}

inline std::string request_line(const std::string& record) { return record.substr(0, record.find("\r\n")); }

}  // namespace standin
