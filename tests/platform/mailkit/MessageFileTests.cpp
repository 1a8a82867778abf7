#include <gtest/gtest.h>

#include "mailkit/MessageFile.hpp"
#include "test_support/TempDir.hpp"

namespace {

using mailkit::MEEmailAddress;
using mailkit::MessageFile;

std::vector<std::string> raw(const std::vector<MEEmailAddress>& addresses) {
  std::vector<std::string> out;
  for (const auto& a : addresses) out.push_back(a.rawString);
  return out;
}

TEST(MessageFile, ReadsFoldedHeadersAndKeepsTheRawBytes) {
  std::string bytes =
      "From: Dana <dana@example.org>\r\nSubject: Team\r\n offsite\r\nTO: a@x.org,\r\n\t\"Doe, Jo\" <jo@x.org>\r\n"
      "Message-ID: <id@x>\r\n\r\nSubject: not a header\r\n";
  auto file = MessageFile::parse(bytes);
  EXPECT_EQ(file.header("subject"), "Team offsite");
  EXPECT_EQ(file.header("Message-Id"), "<id@x>");
  EXPECT_FALSE(file.header("Cc").has_value());
  auto message = file.message();
  EXPECT_EQ(message.rawData, bytes);
  EXPECT_EQ(message.subject, "Team offsite");
  EXPECT_EQ(raw(message.toAddresses), (std::vector<std::string>{"a@x.org", "\"Doe, Jo\" <jo@x.org>"}));
}

TEST(MessageFile, ReplyGoesToReplyToOrFromWithReSubject) {
  auto withReplyTo = MessageFile::parse("From: a@x.org\nReply-To: list@x.org\nSubject: Hi\n\nbody");
  EXPECT_EQ(raw(withReplyTo.replyDraft().toAddresses), std::vector<std::string>{"list@x.org"});
  EXPECT_EQ(withReplyTo.replyDraft().subject, "Re: Hi");
  EXPECT_FALSE(withReplyTo.replyDraft().rawData.has_value());
  auto plain = MessageFile::parse("From: Dana <d@x.org>\nSubject: RE: Hi\n\nbody");
  EXPECT_EQ(raw(plain.replyDraft().toAddresses), std::vector<std::string>{"Dana <d@x.org>"});
  EXPECT_EQ(plain.replyDraft().subject, "RE: Hi");
}

TEST(MessageFile, MissingFileIsAnError) {
  auto file = MessageFile::read("/nonexistent/message.eml");
  ASSERT_FALSE(file.has_value());
  EXPECT_EQ(file.error(), "Cannot read the message file /nonexistent/message.eml");
}

TEST(MessageFile, NoBlankLineMeansAllHeaders) {
  auto file = MessageFile::parse("Subject: only\nX: y");
  EXPECT_EQ(file.header("X"), "y");
}

struct AddressCase {
  std::string field;
  std::vector<std::string> addresses;
};

class AddressListTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(AddressListTest, SplitsAtTopLevelCommas) {
  EXPECT_EQ(raw(mailkit::parseAddressList(GetParam().field)), GetParam().addresses);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, AddressListTest,
    ::testing::Values(AddressCase{"", {}}, AddressCase{" a@x.org ,, b@x.org ", {"a@x.org", "b@x.org"}},
                      AddressCase{"\"Last, First\" <f@x.org>, c@x.org", {"\"Last, First\" <f@x.org>", "c@x.org"}},
                      AddressCase{"f@x.org (Doe, Jo), <g@x.org>", {"f@x.org (Doe, Jo)", "<g@x.org>"}},
                      AddressCase{"\"a \\\" , b\" <q@x.org>", {"\"a \\\" , b\" <q@x.org>"}},
                      AddressCase{"<weird,addr@x.org>", {"<weird,addr@x.org>"}}));

TEST(ReplySubject, AddsReOnce) {
  EXPECT_EQ(mailkit::replySubject("Hi"), "Re: Hi");
  EXPECT_EQ(mailkit::replySubject("re: Hi"), "re: Hi");
  EXPECT_EQ(mailkit::replySubject(""), "Re: ");
}

}  // namespace

namespace {

TEST(MessageFile, BodyFollowsTheFirstBlankLine) {
  EXPECT_EQ(mailkit::MessageFile::parse("A: 1\r\nB: 2\r\n\r\nline\r\n\r\nmore").body(), "line\r\n\r\nmore");
  EXPECT_EQ(mailkit::MessageFile::parse("A: 1\n\nline").body(), "line");
  EXPECT_EQ(mailkit::MessageFile::parse("A: 1").body(), "");
}

}  // namespace
