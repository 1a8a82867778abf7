#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "foundation/DefaultsCommand.hpp"
#include "foundation/UserDefaults.hpp"
#include "test_support/TestEnvironment.hpp"

using platform::UserDefaults;

namespace {
struct Run {
  int status;
  std::string out, err;
};
Run defaults(std::vector<std::string> args) {
  std::ostringstream out, err;
  int status = platform::runDefaultsCommand(args, out, err);
  return {status, out.str(), err.str()};
}
}  // namespace

TEST(DefaultsCommand, WritesTypedValuesThatProgramsRead) {
  test_support::resetDefaults();
  EXPECT_EQ(defaults({"write", "group.cmd", "current_api_mode", "worker"}).status, 0);
  EXPECT_EQ(defaults({"write", "group.cmd", "llm_timeout", "-float", "0.5"}).status, 0);
  EXPECT_EQ(defaults({"write", "group.cmd", "llm_max_tokens", "-int", "512"}).status, 0);
  EXPECT_EQ(defaults({"write", "group.cmd", "useCustomPrompt", "-bool", "YES"}).status, 0);
  EXPECT_EQ(defaults({"write", "group.cmd", "logs", "-array", "one", "two"}).status, 0);

  UserDefaults::resetForTesting();
  auto suite = UserDefaults::suite("group.cmd");
  EXPECT_EQ(suite->string("current_api_mode"), "worker");
  EXPECT_DOUBLE_EQ(suite->doubleValue("llm_timeout"), 0.5);
  EXPECT_EQ(suite->object("llm_max_tokens"), platform::PropertyValue(std::int64_t{512}));
  EXPECT_EQ(suite->object("useCustomPrompt"), platform::PropertyValue(true));
  EXPECT_EQ(suite->stringArray("logs"), (std::vector<std::string>{"one", "two"}));

  auto read = defaults({"read", "group.cmd", "current_api_mode"});
  EXPECT_EQ(read.status, 0);
  EXPECT_EQ(read.out, "worker\n");
  EXPECT_NE(defaults({"read", "group.cmd"}).out.find("llm_max_tokens = 512;"), std::string::npos);
}

TEST(DefaultsCommand, DeletesKeysAndDomains) {
  test_support::resetDefaults();
  defaults({"write", "group.del", "a", "1"});
  defaults({"write", "group.del", "b", "2"});
  EXPECT_EQ(defaults({"delete", "group.del", "a"}).status, 0);
  EXPECT_EQ(defaults({"read", "group.del", "a"}).status, 1);
  EXPECT_EQ(defaults({"read", "group.del", "b"}).out, "2\n");
  EXPECT_EQ(defaults({"delete", "group.del", "missing"}).status, 1);
  EXPECT_EQ(defaults({"delete", "group.del"}).status, 0);
  EXPECT_EQ(defaults({"read", "group.del"}).status, 1);
}

TEST(DefaultsCommand, HelpPrintsTheUsageAndSucceeds) {
  for (const char* option : {"--help", "-h"}) {
    auto run = defaults({option});
    EXPECT_EQ(run.status, 0) << option;
    EXPECT_TRUE(run.out.starts_with("usage: defaults read DOMAIN [KEY]\n")) << run.out;
    EXPECT_EQ(run.err, "");
  }
}

TEST(DefaultsCommand, BadInputGetsAClearMessage) {
  test_support::resetDefaults();
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  } cases[] = {
      {{}, 2, "usage:"},
      {{"write", "group.bad", "k", "-int", "twelve"}, 2, "cannot read \"twelve\" as int"},
      {{"write", "group.bad", "k", "-bool", "maybe"}, 2, "as bool"},
      {{"read", "group.bad", "absent"}, 1, "does not exist"},
      {{"read", "../x"}, 1, "not usable"},
      {{"frobnicate", "group.bad"}, 2, "usage:"},
  };
  for (const auto& c : cases) {
    auto run = defaults(c.args);
    EXPECT_EQ(run.status, c.status);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
  auto file = UserDefaults::fileForDomain("group.broken");
  std::filesystem::create_directories(file.parent_path());
  { std::ofstream(file) << "not a plist"; }
  UserDefaults::resetForTesting();
  auto run = defaults({"read", "group.broken"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("is not a property list"), std::string::npos) << run.err;
}

// A stored text that a terminal would obey (a title change, a screen clear, a
// carriage return that fakes a line, a bidi override) is printed quoted and
// escaped as a property-list text writes it; a text that needs no escape is
// printed as it is.
struct PrintedCase {
  const char* name;
  std::string value;
  std::string alone;     // `defaults read DOMAIN KEY`
  std::string inDomain;  // its line in `defaults read DOMAIN`
};
void PrintTo(const PrintedCase& c, std::ostream* os) { *os << c.name; }
class DefaultsReadPrints : public ::testing::TestWithParam<PrintedCase> {};

TEST_P(DefaultsReadPrints, ValuesAsAPropertyListTextShowsThem) {
  const auto& c = GetParam();
  test_support::resetDefaults();
  ASSERT_EQ(defaults({"write", "group.printed", "k", c.value}).status, 0);
  EXPECT_EQ(defaults({"read", "group.printed", "k"}).out, c.alone + "\n");
  EXPECT_EQ(defaults({"read", "group.printed"}).out, "{\n    k = " + c.inDomain + ";\n}\n");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DefaultsReadPrints,
    ::testing::Values(
        PrintedCase{"Word", "worker", "worker", "worker"},
        PrintedCase{"Blanks", "hello world", "hello world", "\"hello world\""},
        PrintedCase{"Accents", "h\xC3\xA9llo", "h\xC3\xA9llo", "h\xC3\xA9llo"},
        PrintedCase{"TitleChange", "\x1B]0;owned\x07", R"("\U001b]0;owned\a")", R"("\U001b]0;owned\a")"},
        PrintedCase{"ScreenClear", "\x1B[2J\x1B[H", R"("\U001b[2J\U001b[H")", R"("\U001b[2J\U001b[H")"},
        PrintedCase{"CarriageReturn", "ok\rfake line", R"("ok\rfake line")", R"("ok\rfake line")"},
        PrintedCase{"LineBreakAndTab", "a\nb\tc", R"("a\nb\tc")", R"("a\nb\tc")"},
        PrintedCase{"BidiOverride", "txt\xE2\x80\xAE" "exe.sh", R"("txt\U202eexe.sh")", R"("txt\U202eexe.sh")"},
        PrintedCase{"C1Control", "a\xC2\x9B" "2J", R"("a\U009b2J")", R"("a\U009b2J")"},
        PrintedCase{"Delete", "a\x7F", R"("a\U007f")", R"("a\U007f")"},
        PrintedCase{"QuotesAndBackslashes", R"(say "hi" \o/)", R"("say \"hi\" \\o/")", R"("say \"hi\" \\o/")"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DefaultsCommand, KeysAreEscapedToo) {
  test_support::resetDefaults();
  ASSERT_EQ(defaults({"write", "group.keys", "k\x1B[2J", "v"}).status, 0);
  EXPECT_EQ(defaults({"read", "group.keys"}).out, "{\n    \"k\\U001b[2J\" = v;\n}\n");
}
