// Throughput of the portable core on large inputs: bytes per second, at 1 MiB and 8 MiB so that
// anything worse than linear shows up as a drop between the two sizes.
#include <benchmark/benchmark.h>

#include "net/url.h"
#include "runtime/utf.h"
#include "translate/algorithm.h"
#include "translate/reply.h"

namespace {

// Mixed text: Chinese characters, ASCII words, punctuation and line breaks, other scripts.
std::string mixed_text(size_t size) {
    const std::string pattern = "你好，世界。Hello, world! 翻译 3.14 a+b=c 안녕 Größe 😀\r\n";
    std::string text;
    text.reserve(size + pattern.size());
    while (text.size() < size) text += pattern;
    text.resize(size);
    while (static_cast<unsigned char>(text.back()) >= 0x80) text.pop_back();  // no character cut in two
    text.resize(size, 'x');
    return text;
}

void BM_UrlEncode(benchmark::State& state) {
    std::string text = mixed_text(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(net::url_encode(text));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_UrlDecode(benchmark::State& state) {
    std::string encoded = net::url_encode(mixed_text(state.range(0)));
    encoded.resize(encoded.rfind('%', state.range(0)));  // exactly the size asked for, cut before an escape
    for (auto _ : state) benchmark::DoNotOptimize(net::url_decode(encoded));
    state.SetBytesProcessed(state.iterations() * encoded.size());
}

// A reply of many sentence entries with a two-entry dictionary, about the size asked for.
std::string big_reply(size_t size) {
    std::string reply = "[[";
    for (int i = 0; reply.size() < size; ++i) reply += std::string(i ? "," : "") + "[\"句子 sentence " + std::to_string(i) + " \",\"x\",\"\",\"\"]";
    return reply + "],[[\"名词\",[\"a\",\"b\"]],[\"动词\",[\"c\"]]],\"en\",,[[0]],0]";
}

void BM_ReplyCutting(benchmark::State& state) {
    std::string reply = big_reply(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(translate::cut_translation_with_dictionary(reply, "zh-CN"));
    state.SetBytesProcessed(state.iterations() * reply.size());
}

// The translation algorithm on a source of many lines, sentences and clauses, with a translator
// that costs nothing: what is measured is the cutting, passes and joining alone.
void BM_TranslateText(benchmark::State& state) {
    std::string source = mixed_text(state.range(0));
    translate::PieceTranslator free_translator = [](const std::string& piece, bool) { return piece; };
    for (auto _ : state) benchmark::DoNotOptimize(translate::translate_text(source, free_translator));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

// The two conversions at the Win32 boundary, each way, in bytes of UTF-8 per second.
void BM_Utf8ToUtf16(benchmark::State& state) {
    std::string text = mixed_text(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(runtime::utf8_to_utf16(text));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_Utf16ToUtf8(benchmark::State& state) {
    std::u16string units = runtime::utf8_to_utf16(mixed_text(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(runtime::utf16_to_utf8(units));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(BM_Utf8ToUtf16)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Utf16ToUtf8)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplyCutting)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TranslateText)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UrlEncode)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UrlDecode)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMillisecond);
