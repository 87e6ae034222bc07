// The UTF-8 program against the classic GBK code on any text GBK holds and on any reply: the
// fuzzer's bytes become a well-formed GBK source text (bytes that start no valid pair are left
// out) and a reply; any difference is a finding.
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "tests/reference/differential.h"

namespace {

std::string well_formed_gbk(const std::string& bytes) {
    std::string text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            text += bytes[i];
        } else if (i + 1 < bytes.size() && differential::is_well_formed_gbk(bytes.substr(i, 2))) {
            text += bytes.substr(i, 2);
            ++i;
        }
    }
    return text;
}

void require_none(const std::string& difference) {
    if (difference.empty()) return;
    std::fprintf(stderr, "difference: %s\n", difference.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    std::string code = input.next_bool() ? "en" : "zh-CN";
    std::string reply = input.next_text();
    require_none(differential::check_source(well_formed_gbk(input.rest())));
    require_none(differential::check_reply(reply, code));
    return 0;
}
