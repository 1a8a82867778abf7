// What reading a quoted mail body costs: a tidy HTML mail, and HTML made to
// be hard (tags and quotes that never close, ampersands without references;
// and what gumbo alone takes quadratic time over: elements nested in one
// another, unclosed formatting elements in each paragraph, thousands of
// attributes), each about 200 KB; and 1 MB of plain and of flowed text. The
// whole quoted-message rule is measured in quoted_message_bench.
#include <benchmark/benchmark.h>
#include <gumbo.h>

#include <string>

#include "mailkit/HTMLToPlainText.hpp"
#include "mailkit/PlainText.hpp"
#include "support/RepeatedText.hpp"

namespace {

using bench_support::repeated;

void convert(benchmark::State& state, const std::string& html) {
  for (auto _ : state) benchmark::DoNotOptimize(mailkit::htmlToPlainText(html));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * html.size()));
}

constexpr std::size_t kBytes = 200 * 1024;

const std::string kTidyMail =
    "<p>We are planning the <b>offsite</b> &amp; would love to have you there.</p>"
    "<ul><li>Can you attend?</li><li>Any dietary requirements?</li></ul>";

void BM_TidyMail(benchmark::State& state) { convert(state, repeated(kTidyMail, kBytes)); }
BENCHMARK(BM_TidyMail)->Unit(benchmark::kMillisecond);

// The same mail through gumbo alone: the part of the conversion that is the parse.
void BM_GumboParseOfTidyMail(benchmark::State& state) {
  const std::string html = repeated(kTidyMail, kBytes);
  for (auto _ : state) {
    GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size());
    benchmark::DoNotOptimize(output);
    gumbo_destroy_output(&kGumboDefaultOptions, output);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * html.size()));
}
BENCHMARK(BM_GumboParseOfTidyMail)->Unit(benchmark::kMillisecond);

void BM_UnclosedQuotedTags(benchmark::State& state) { convert(state, "<p>" + repeated("<b \"", kBytes)); }
BENCHMARK(BM_UnclosedQuotedTags)->Unit(benchmark::kMillisecond);

void BM_UnclosedTags(benchmark::State& state) { convert(state, "<p>" + repeated("<b ", kBytes)); }
BENCHMARK(BM_UnclosedTags)->Unit(benchmark::kMillisecond);

void BM_AmpersandsWithoutReferences(benchmark::State& state) { convert(state, "<p>" + repeated("&amp", kBytes)); }
BENCHMARK(BM_AmpersandsWithoutReferences)->Unit(benchmark::kMillisecond);

void BM_NestedDivs(benchmark::State& state) { convert(state, repeated("<div>x", kBytes)); }
BENCHMARK(BM_NestedDivs)->Unit(benchmark::kMillisecond);

void BM_NestedLists(benchmark::State& state) { convert(state, repeated("<li><ul>x", kBytes)); }
BENCHMARK(BM_NestedLists)->Unit(benchmark::kMillisecond);

void BM_UnclosedFormattingInParagraphs(benchmark::State& state) {
  std::string html;
  for (int i = 0; html.size() < kBytes; ++i) html += "<p><b id=" + std::to_string(i) + ">x";
  convert(state, html);
}
BENCHMARK(BM_UnclosedFormattingInParagraphs)->Unit(benchmark::kMillisecond);

void BM_ThousandsOfAttributes(benchmark::State& state) {
  std::string html = "<div";
  for (int i = 0; html.size() < kBytes; ++i) html += " a" + std::to_string(i);
  convert(state, html + ">x");
}
BENCHMARK(BM_ThousandsOfAttributes)->Unit(benchmark::kMillisecond);

void read(benchmark::State& state, const std::string& text, mailkit::PlainTextFormat format) {
  for (auto _ : state) benchmark::DoNotOptimize(mailkit::readPlainText(text, format));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_PlainText1MB(benchmark::State& state) {
  read(state, repeated("We are planning the offsite.\r\n> Can you <br> come & stay?\r\n\r\n", 1024 * 1024), {});
}
BENCHMARK(BM_PlainText1MB)->Unit(benchmark::kMillisecond);

void BM_FlowedText1MB(benchmark::State& state) {
  read(state, repeated("We are planning the \r\noffsite.\r\n> Can you \r\n> come?\r\n\r\n", 1024 * 1024),
       {.flowed = true});
}
BENCHMARK(BM_FlowedText1MB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
