// What turning a quoted mail body from HTML into plain text costs: a tidy
// HTML mail, and bodies made to be hard (tags and quotes that never close,
// ampersands without references), each about 200 KB. And the whole
// quoted-message rule on a 200 KB message: one not MIME-encoded (cut after
// its blank line) and a multipart one read with GMime, its quoted-printable
// HTML decoded first.
#include <benchmark/benchmark.h>

#include <string>

#include <memory>

#include "compose/HTMLToPlainText.hpp"
#include "compose/QuotedMessage.hpp"

namespace {

std::string repeated(const std::string& unit, std::size_t bytes) {
  std::string text;
  while (text.size() < bytes) text += unit;
  return text;
}

void convert(benchmark::State& state, const std::string& html) {
  for (auto _ : state) benchmark::DoNotOptimize(quorbel::htmlToPlainText(html));
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

const std::string kTidyHTML = "<p>We are planning the <b>offsite</b> &amp; would love to have you there.</p>";

void quote(benchmark::State& state, const std::string& raw) {
  const platform::OSLog logger("com.holdrin.quorbel.extension", "ComposeSessionHandler");
  mailkit::MEMessage original;
  original.rawData = raw;
  const mailkit::MEComposeContext context{std::make_shared<const mailkit::MEMessage>(original)};
  for (auto _ : state) benchmark::DoNotOptimize(quorbel::quotedMessageText(context, logger));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * raw.size()));
}

// Soft line breaks every 70 characters, as mail programs write them.
std::string quotedPrintable(const std::string& ascii) {
  std::string encoded;
  for (std::size_t at = 0; at < ascii.size(); at += 70) encoded += ascii.substr(at, 70) + "=\r\n";
  return encoded;
}

void BM_QuotedPlainMessage(benchmark::State& state) {
  quote(state, "From: dana@example.org\r\nSubject: Offsite\r\n\r\n" + repeated(kTidyHTML, kBytes));
}
BENCHMARK(BM_QuotedPlainMessage)->Unit(benchmark::kMillisecond);

void BM_QuotedMultipartMessage(benchmark::State& state) {
  std::string html = repeated(kTidyHTML, kBytes / 2);
  quote(state, "From: dana@example.org\r\nSubject: Offsite\r\nMIME-Version: 1.0\r\n"
               "Content-Type: multipart/alternative; boundary=\"b\"\r\n\r\n--b\r\n"
               "Content-Type: text/plain; charset=us-ascii\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n" +
                   quotedPrintable(repeated("We are planning the offsite. ", kBytes / 2)) +
                   "\r\n--b\r\nContent-Type: text/html; charset=us-ascii\r\n"
                   "Content-Transfer-Encoding: quoted-printable\r\n\r\n" +
                   quotedPrintable(html) + "\r\n--b--\r\n");
}
BENCHMARK(BM_QuotedMultipartMessage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
