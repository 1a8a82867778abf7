// What the quoted-message rule costs on the mail people answer: a 200 KB
// message that is not MIME-encoded and a 200 KB multipart one; 1 MB plain
// text messages, fixed and flowed, and a 1 MB HTML message as Outlook
// writes one (paragraphs, tables, a quoted reply); and 1 MB multipart
// messages as mail programs send them: text and HTML alternatives
// beside a picture; the same in Shift_JIS; and one whose structure must be
// mended first (a blank first line, delimiters that do not match the
// declared boundary), so that its body is read twice; and hostile mail: spam
// whose header fields are built to make a careless reader take quadratic
// time, a message that would be mended at every level of its nesting, and
// one nested as deep as 1 MB allows.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "compose/QuotedMessage.hpp"
#include "support/RepeatedText.hpp"

namespace {

using bench_support::repeated;

void quote(benchmark::State& state, const std::string& raw) {
  const platform::OSLog logger("com.holdrin.quorbel.extension", "ComposeSessionHandler");
  mailkit::MEMessage original;
  original.rawData = raw;
  const mailkit::MEComposeContext context{std::make_shared<const mailkit::MEMessage>(original)};
  for (auto _ : state) benchmark::DoNotOptimize(quorbel::quotedMessageText(context, logger));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * raw.size()));
  state.counters["message_bytes"] = static_cast<double>(raw.size());
}

// Soft line breaks every 70 characters, as mail programs write them.
std::string quotedPrintable(const std::string& ascii) {
  std::string encoded;
  for (std::size_t at = 0; at < ascii.size(); at += 70) encoded += ascii.substr(at, 70) + "=\r\n";
  return encoded;
}

// Any bytes as Base64 lines of 76 characters.
std::string base64(const std::string& bytes) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string encoded;
  for (std::size_t at = 0; at + 2 < bytes.size(); at += 3) {
    unsigned triple = (static_cast<unsigned char>(bytes[at]) << 16) | (static_cast<unsigned char>(bytes[at + 1]) << 8) |
                      static_cast<unsigned char>(bytes[at + 2]);
    for (int shift = 18; shift >= 0; shift -= 6) encoded += kAlphabet[(triple >> shift) & 0x3F];
    if ((at / 3 + 1) % 19 == 0) encoded += "\r\n";
  }
  return encoded;
}

constexpr std::size_t kKilobyte = 1024;
const std::string kTidyHTML = "<p>We are planning the <b>offsite</b> &amp; would love to have you there.</p>";
const std::string kHeader = "From: dana@example.org\r\nSubject: Offsite\r\nMIME-Version: 1.0\r\n";

void BM_QuotedPlainMessage(benchmark::State& state) {
  quote(state, "From: dana@example.org\r\nSubject: Offsite\r\n\r\n" + repeated(kTidyHTML, 200 * kKilobyte));
}
BENCHMARK(BM_QuotedPlainMessage)->Unit(benchmark::kMillisecond);

void BM_QuotedMultipartMessage(benchmark::State& state) {
  quote(state, kHeader + "Content-Type: multipart/alternative; boundary=\"b\"\r\n\r\n--b\r\n"
                         "Content-Type: text/plain; charset=us-ascii\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n" +
                   quotedPrintable(repeated("We are planning the offsite. ", 100 * kKilobyte)) +
                   "\r\n--b\r\nContent-Type: text/html; charset=us-ascii\r\n"
                   "Content-Transfer-Encoding: quoted-printable\r\n\r\n" +
                   quotedPrintable(repeated(kTidyHTML, 100 * kKilobyte)) + "\r\n--b--\r\n");
}
BENCHMARK(BM_QuotedMultipartMessage)->Unit(benchmark::kMillisecond);

// A long plain reply: its own lines, then quoted history, in UTF-8.
void BM_QuotedPlainMessage1MB(benchmark::State& state) {
  quote(state, kHeader + "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n" +
                   repeated("Gr\xC3\xBC\xC3\x9F" "e aus K\xC3\xB6ln, we are planning the offsite.\r\n"
                            "> Can you bring the projector & <the> cables?\r\n\r\n",
                            kKilobyte * kKilobyte));
}
BENCHMARK(BM_QuotedPlainMessage1MB)->Unit(benchmark::kMillisecond);

void BM_QuotedFlowedMessage1MB(benchmark::State& state) {
  quote(state, kHeader + "Content-Type: text/plain; charset=utf-8; format=flowed\r\n\r\n" +
                   repeated("We are planning the offsite and would love to \r\nhave you there, \r\nif you can.\r\n"
                            "> Can you bring the \r\n> projector?\r\n\r\n",
                            kKilobyte * kKilobyte));
}
BENCHMARK(BM_QuotedFlowedMessage1MB)->Unit(benchmark::kMillisecond);

void BM_QuotedHTMLMessage1MB(benchmark::State& state) {
  const std::string paragraph =
      "<p class=3DMsoNormal style=3D\"margin:0cm;font-family:Calibri\">We are planning the <b>offsite</b> &amp; =\r\n"
      "would love to have you there. K&oslash;benhavn &rarr; Malm&ouml;<o:p></o:p></p>\r\n"
      "<table><tr><td>Friday</td><td>Room 4.01</td></tr></table><ul><li>Can you attend?</li></ul>\r\n"
      "<blockquote><div><span>Can you bring the projector?</span></div></blockquote>\r\n";
  quote(state, kHeader + "Content-Type: text/html; charset=us-ascii\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
                         "<html><head><style>p.MsoNormal{margin:0}</style></head><body><div class=3DWordSection1>\r\n" +
                   repeated(paragraph, kKilobyte * kKilobyte) + "</div></body></html>\r\n");
}
BENCHMARK(BM_QuotedHTMLMessage1MB)->Unit(benchmark::kMillisecond);

// Text and HTML alternatives of 256 KB each in windows-1252 beside a 512 KB
// picture: about 1 MB on the wire.
std::string alternativesBesideAPicture(const std::string& firstLine, const std::string& boundary) {
  return firstLine + kHeader + "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n--outer\r\n" +
         "Content-Type: multipart/alternative; boundary=\"inner\"\r\n\r\n--inner\r\n"
         "Content-Type: text/plain; charset=windows-1252\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n" +
         quotedPrintable(repeated("Gr=FC=DFe aus K=F6ln, we are planning the offsite. ", 256 * kKilobyte)) +
         "\r\n--inner\r\nContent-Type: text/html; charset=windows-1252\r\n"
         "Content-Transfer-Encoding: quoted-printable\r\n\r\n" +
         quotedPrintable(repeated("<p>Gr=FC=DFe aus <b>K=F6ln</b> &amp; see you at the offsite.</p>", 256 * kKilobyte)) +
         "\r\n--inner--\r\n--outer\r\nContent-Type: image/jpeg; name=\"offsite.jpg\"\r\n"
         "Content-Disposition: attachment; filename=\"offsite.jpg\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
         base64(repeated(std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x02\x03", 16), 384 * kKilobyte)) +
         "\r\n--outer--\r\n";
}

void BM_QuotedMultipartMessage1MB(benchmark::State& state) { quote(state, alternativesBesideAPicture("", "outer")); }
BENCHMARK(BM_QuotedMultipartMessage1MB)->Unit(benchmark::kMillisecond);

// A blank first line and a declared boundary that no delimiter uses: the
// message is mended, then its body read again with the delimiters' boundary.
void BM_QuotedMendedMultipartMessage1MB(benchmark::State& state) {
  quote(state, alternativesBesideAPicture("   \r\n", "declared"));
}
BENCHMARK(BM_QuotedMendedMultipartMessage1MB)->Unit(benchmark::kMillisecond);

// Japanese alternatives: Shift_JIS text sent 8bit, its HTML in Base64.
void BM_QuotedShiftJISMultipartMessage1MB(benchmark::State& state) {
  // "来週の会議は水曜日です。" in Shift_JIS.
  const std::string sentence = "\x97\x88\x8f\x54\x82\xcc\x89\xef\x8b\x63\x82\xcd\x90\x85\x97\x6a\x93\xfa\x82\xc5\x82\xb7\x81\x42\r\n";
  quote(state, kHeader + "Content-Type: multipart/alternative; boundary=\"jp\"\r\n\r\n--jp\r\n"
                         "Content-Type: text/plain; charset=Shift_JIS\r\nContent-Transfer-Encoding: 8bit\r\n\r\n" +
                   repeated(sentence, 400 * kKilobyte) +
                   "\r\n--jp\r\nContent-Type: text/html; charset=Shift_JIS\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
                   base64(repeated("<p>" + sentence + "</p>", 450 * kKilobyte)) + "\r\n--jp--\r\n");
}
BENCHMARK(BM_QuotedShiftJISMultipartMessage1MB)->Unit(benchmark::kMillisecond);

// Spam whose sender, subject and attachment name hold 100 KB each of
// encoded words that never end: a reader that looks for the end of each one
// as far as the end of the field takes seconds.
void BM_QuotedMessageWithUnclosedEncodedWords(benchmark::State& state) {
  const std::string junk = repeated("=?utf-8?q?WIN", 100 * kKilobyte);
  quote(state, "From: " + junk + " <promo@prizes.example>\r\nSubject: " + junk +
                   "\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"p\"\r\n\r\n--p\r\n"
                   "Content-Type: text/plain\r\n\r\nYou have won a prize.\r\n--p\r\n"
                   "Content-Type: application/octet-stream\r\nContent-Disposition: attachment; filename=\"" +
                   junk + "\"\r\n\r\nUEsDBBQ=\r\n--p--\r\n");
}
BENCHMARK(BM_QuotedMessageWithUnclosedEncodedWords)->Unit(benchmark::kMillisecond);

// 2 MB behind 200 parts nested in one another, none with a Content-Type,
// each a multipart only by its delimiter lines: every level must be mended.
void BM_QuotedMessageMendedAtEveryLevel(benchmark::State& state) {
  std::string body = repeated("Gruesse aus Koeln. ", 2 * kKilobyte * kKilobyte) + "\r\n";
  for (int level = 199; level >= 0; --level) {
    const std::string delimiter = "--level" + std::to_string(level);
    body = delimiter + "\r\nContent-Transfer-Encoding: 7bit\r\n\r\n" + body + delimiter + "--\r\n";
  }
  quote(state, kHeader + "Content-Type: multipart/mixed; boundary=\"declared\"\r\n\r\n" + body);
}
BENCHMARK(BM_QuotedMessageMendedAtEveryLevel)->Unit(benchmark::kMillisecond);

// Mixed and alternative parts by turns, nested `levels` deep, the text at
// the bottom.
std::string nested(int levels) {
  std::string opening, closing;
  for (int level = 0; level < levels; ++level) {
    const std::string boundary = "level" + std::to_string(level);
    opening += (level == 0 ? "" : "--level" + std::to_string(level - 1) + "\r\n") + "Content-Type: multipart/" +
               (level % 2 ? "alternative" : "mixed") + "; boundary=\"" + boundary + "\"\r\n\r\n";
    closing = "--" + boundary + "--\r\n" + closing;
  }
  return kHeader + opening + "--level" + std::to_string(levels - 1) +
         "\r\nContent-Type: text/plain\r\n\r\nThe text at the bottom.\r\n" + closing;
}

// As deep as real test messages nest.
void BM_QuotedMessageNested105Levels(benchmark::State& state) { quote(state, nested(105)); }
BENCHMARK(BM_QuotedMessageNested105Levels)->Unit(benchmark::kMillisecond);

// 1 MB of nothing but nesting: 11 times deeper than GMime builds a tree.
void BM_QuotedMessageNested1MB(benchmark::State& state) { quote(state, nested(11500)); }
BENCHMARK(BM_QuotedMessageNested1MB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
