// Throughput of the portable core on large inputs: bytes per second, at 1 MiB and 8 MiB so that
// anything worse than linear shows up as a drop between the two sizes.
#include <benchmark/benchmark.h>

#include "net/url.h"

namespace {

// Mixed text: GBK characters, ASCII words, punctuation and line breaks.
std::string mixed_text(size_t size) {
    const std::string pattern = "你好，世界。Hello, world! 翻译 3.14 a+b=c\r\n";
    std::string text;
    text.reserve(size + pattern.size());
    while (text.size() < size) text += pattern;
    text.resize(size);
    if (static_cast<unsigned char>(text.back()) >= 0x80) text.back() = 'x';
    return text;
}

void BM_UrlEncode(benchmark::State& state) {
    std::string text = mixed_text(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(net::url_encode(text));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_UrlDecode(benchmark::State& state) {
    std::string encoded = net::url_encode(mixed_text(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(net::url_decode(encoded));
    state.SetBytesProcessed(state.iterations() * encoded.size());
}

}  // namespace

BENCHMARK(BM_UrlEncode)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UrlDecode)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMillisecond);
