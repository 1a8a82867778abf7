#pragma once

// Messages shaped like the mail people answer, written here by hand: MIME
// structures, transfer encodings, charsets and encoded words as common mail
// programs send them. Line ends are CRLF, as on the wire.

#include <string>
#include <string_view>
#include <vector>

namespace mail_samples {

inline std::string crlf(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// Plain and HTML alternatives, both quoted-printable, the HTML in ISO-8859-1;
// encoded words in the sender's name and the subject.
inline const std::string kAlternativeQuotedPrintable = crlf(R"(From: =?ISO-8859-1?Q?J=F6rg_M=FCller?= <joerg@example.de>
To: Sam Lee <sam@example.org>
Subject: =?UTF-8?Q?Gr=C3=BC=C3=9Fe_aus_M=C3=BCnchen?=
Date: Tue, 4 Mar 2025 10:12:00 +0100
Message-ID: <alt-qp@example.de>
MIME-Version: 1.0
Content-Type: multipart/alternative; boundary="=_alt_42"

This is a multi-part message in MIME format.

--=_alt_42
Content-Type: text/plain; charset=UTF-8
Content-Transfer-Encoding: quoted-printable

Hallo Sam,

k=C3=B6nnen wir uns am Freitag um 10 Uhr treffen? Die Zeile ist lang genug, =
um umbrochen zu werden.

J=C3=B6rg
--=_alt_42
Content-Type: text/html; charset=ISO-8859-1
Content-Transfer-Encoding: quoted-printable

<html><body><p>Hallo Sam,</p><p>k=F6nnen wir uns am <b>Freitag</b> um 10 Uhr =
treffen?</p><p>J=F6rg</p></body></html>
--=_alt_42--
)");

// One Base64 plain-text body in ISO-8859-1, subject a Base64 encoded word.
inline const std::string kBase64Latin1 = crlf(R"(From: Ana Souza <ana@example.pt>
To: sam@example.org
Subject: =?ISO-8859-1?B?UmV1bmnjbw==?=
MIME-Version: 1.0
Content-Type: text/plain; charset=ISO-8859-1
Content-Transfer-Encoding: base64

T2zhIFNhbSwKCmEgcmV1bmnjbyDpIOBzIDE1aCBuYSBzYWxhIEHnb3Jlcy4KCkFuYQo=
)");

// One Base64 plain-text body in UTF-8, an emoji included.
inline const std::string kBase64UTF8 = crlf(R"(From: =?UTF-8?B?Q2hsb8OpIE1hcnRpbg==?= <chloe@example.fr>
To: sam@example.org
Subject: Coffee
MIME-Version: 1.0
Content-Type: text/plain; charset="utf-8"
Content-Transfer-Encoding: base64

SGkgU2FtIPCfkYsKClRoZSBjYWbDqSBvbiBSdWUgU2FpbnQtw4lsb2kgb3BlbnMgYXQgOS4KCkNobG/DqQo=
)");

// A mixed message: an HTML attachment first, then the alternatives nested
// in it, then a text attachment and a PDF. Only the inline text is the body.
inline const std::string kNestedMixedWithAttachments = crlf(R"(From: Dana Wright <dana@example.org>
To: sam@example.org, "Lee, Kim" <kim@example.org>
Cc: Team: ops@example.org, =?UTF-8?Q?Ren=C3=A9e?= <renee@example.org>;
Subject: Agenda for Friday
MIME-Version: 1.0
Content-Type: multipart/mixed; boundary="outer-7"

--outer-7
Content-Type: text/html; charset=UTF-8; name="invoice.html"
Content-Disposition: attachment; filename="invoice.html"

<p>INVOICE: not the message</p>
--outer-7
Content-Type: multipart/alternative; boundary="inner-3"

--inner-3
Content-Type: text/plain; charset=us-ascii

See the agenda attached. Can you present?
--inner-3
Content-Type: text/html; charset=us-ascii

<p>See the <i>agenda</i> attached. Can you present?</p>
--inner-3--
--outer-7
Content-Type: text/plain; charset=UTF-8; name="notes.txt"
Content-Disposition: attachment; filename="notes.txt"
Content-Transfer-Encoding: base64

UFJJVkFURSBOT1RFUzogZG8gbm90IHF1b3RlCg==
--outer-7
Content-Type: application/pdf; name="agenda.pdf"
Content-Disposition: attachment; filename="agenda.pdf"
Content-Transfer-Encoding: base64

JVBERi0xLjQKJcfsj6IKNSAwIG9iago8PC9MZW5ndGggNiAwIFI+PgpzdHJlYW0K
--outer-7--
)");

// Declares one boundary and uses another, so no part can be found.
inline const std::string kMalformedBoundary = crlf(R"(From: dana@example.org
Subject: Lunch
MIME-Version: 1.0
Content-Type: multipart/alternative; boundary="declared"

--actual
Content-Type: text/plain

Lunch at noon?
--actual--
)");

// A charset no converter knows; the bytes happen to be UTF-8.
inline const std::string kUnknownCharsetUTF8Bytes = crlf(R"(From: dana@example.org
Subject: Unknown
MIME-Version: 1.0
Content-Type: text/plain; charset="x-made-up-9"
Content-Transfer-Encoding: base64

R3LDvMOfZQo=
)");

// The same charset with bytes that are not UTF-8 (ISO-8859-1 "Grüße").
inline const std::string kUnknownCharsetOtherBytes = crlf(R"(From: dana@example.org
Subject: Unknown
MIME-Version: 1.0
Content-Type: text/plain; charset="x-made-up-9"
Content-Transfer-Encoding: base64

R3L832UK
)");

// A single Base64 HTML body.
inline const std::string kBase64HTML = crlf(R"(From: Lucia <lucia@example.es>
Subject: =?UTF-8?Q?=C2=BFViernes=3F?=
MIME-Version: 1.0
Content-Type: text/html; charset=UTF-8
Content-Transfer-Encoding: base64

PHA+SG9sYSwgwr92aWVuZXMgZWwgPGI+dmllcm5lczwvYj4/PC9wPg==
)");

// Nothing but an attachment.
inline const std::string kAttachmentOnly = crlf(R"(From: scanner@example.org
Subject: Scan
MIME-Version: 1.0
Content-Type: multipart/mixed; boundary="b"

--b
Content-Type: application/pdf; name="scan.pdf"
Content-Disposition: attachment; filename="scan.pdf"
Content-Transfer-Encoding: base64

JVBERi0xLjQK
--b--
)");

// Not MIME-encoded: an 8-bit UTF-8 body, taken as it stands.
inline const std::string kPlainEightBit = crlf(R"(From: Dana <dana@example.org>
Subject: Plain
MIME-Version: 1.0
Content-Type: text/plain; charset=UTF-8
Content-Transfer-Encoding: 8bit

Grüße =?UTF-8?Q?stays?= as typed
-- 
Dana
)");

// Subjects and senders as mail programs split and fold them into encoded
// words; every subject has "Mars" in a later word. Each with what it reads as.
struct EncodedWordsForm {
  const char* name;
  std::string subjectField;
  std::string subject;
  std::string fromField;
  std::string from;       // the field decoded, as the "... wrote:" line shows it
  std::string replyTo;    // the mailbox a reply goes to
};

inline const std::vector<EncodedWordsForm> kEncodedWordsForms{
    {"PaddedBase64", "=?UTF-8?B?SGVsbG8=?= =?UTF-8?B?IE1hcnM=?=", "Hello Mars",
     "=?UTF-8?B?TXlTdXJ2ZXkuY29tICY=?= =?UTF-8?B?IENhcm9sIEFkYW1z?= <carol@example.com>",
     "MySurvey.com & Carol Adams <carol@example.com>", "\"MySurvey.com & Carol Adams\" <carol@example.com>"},
    {"UnpaddedBase64", "=?UTF-8?B?SGVsbG8?= =?UTF-8?B?IE1hcnM?=", "Hello Mars",
     "=?UTF-8?B?TXlTdXJ2ZXkuY29tICY?= =?UTF-8?B?IENhcm9sIEFkYW1z?= <carol@example.com>",
     "MySurvey.com & Carol Adams <carol@example.com>", "\"MySurvey.com & Carol Adams\" <carol@example.com>"},
    {"FoldedCyrillic", "=?UTF-8?B?0J/RgNC40LLQtdGCLA==?=\r\n =?UTF-8?B?IE1hcnMh?=", "Привет, Mars!",
     "=?UTF-8?B?0J7Qu9GM0LPQsA==?=\r\n =?UTF-8?B?INCh0LzQuNGA0L3QvtCy0LA=?= <olga@example.ru>",
     "Ольга Смирнова <olga@example.ru>", "Ольга Смирнова <olga@example.ru>"},
    {"CharacterSplitAcrossWords", "=?UTF-8?B?54E=?= =?UTF-8?B?q+aYnyBNYXJz?=", "火星 Mars",
     "=?UTF-8?B?6Zmz5Q==?= =?UTF-8?B?sI/mmI4=?= <ming@example.tw>", "陳小明 <ming@example.tw>",
     "陳小明 <ming@example.tw>"},
    {"ArabicPadded", "=?UTF-8?B?2LHYrdmE2Kkg2KXZhNmJ?= =?UTF-8?B?IE1hcnM=?=", "رحلة إلى Mars",
     "=?UTF-8?B?2LPYp9ix2Kk=?= =?UTF-8?B?INij2K3Zhdiv?= <sara@example.ae>", "سارة أحمد <sara@example.ae>",
     "سارة أحمد <sara@example.ae>"},
    {"MixedCharsets", "=?ISO-8859-1?Q?Gr=FC=DFe_vom?= =?UTF-8?B?IE1hcnM=?=", "Grüße vom Mars",
     "=?ISO-8859-1?Q?J=FCrgen?= =?KOI8-R?B?IPPNydLOz9c=?= <j@example.de>", "Jürgen Смирнов <j@example.de>",
     "Jürgen Смирнов <j@example.de>"},
};

inline std::string messageWithEncodedWords(const EncodedWordsForm& form) {
  return "From: " + form.fromField + "\r\nTo: sam@example.org\r\nSubject: " + form.subjectField +
         "\r\nMessage-ID: <form@example.org>\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n"
         "See you there.\r\n";
}

}  // namespace mail_samples
