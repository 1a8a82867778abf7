// What turning a quoted mail body from HTML into plain text costs: a tidy
// HTML mail, and bodies made to be hard (tags and quotes that never close,
// ampersands without references), each about 200 KB. The whole
// quoted-message rule is measured in quoted_message_bench.
#include <benchmark/benchmark.h>

#include <string>

#include "mailkit/HTMLToPlainText.hpp"
#include "support/RepeatedText.hpp"

namespace {

using bench_support::repeated;

void convert(benchmark::State& state, const std::string& html) {
  for (auto _ : state) benchmark::DoNotOptimize(mailkit::htmlToPlainText(html));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * html.size()));
}

constexpr std::size_t kBytes = 200 * 1024;

void BM_TidyMail(benchmark::State& state) {
  convert(state, repeated("<p>We are planning the <b>offsite</b> &amp; would love to have you there.</p>"
                          "<ul><li>Can you attend?</li><li>Any dietary requirements?</li></ul>",
                          kBytes));
}
BENCHMARK(BM_TidyMail)->Unit(benchmark::kMillisecond);

void BM_UnclosedQuotedTags(benchmark::State& state) { convert(state, "<p>" + repeated("<b \"", kBytes)); }
BENCHMARK(BM_UnclosedQuotedTags)->Unit(benchmark::kMillisecond);

void BM_UnclosedTags(benchmark::State& state) { convert(state, "<p>" + repeated("<b ", kBytes)); }
BENCHMARK(BM_UnclosedTags)->Unit(benchmark::kMillisecond);

void BM_AmpersandsWithoutReferences(benchmark::State& state) { convert(state, "<p>" + repeated("&amp", kBytes)); }
BENCHMARK(BM_AmpersandsWithoutReferences)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
