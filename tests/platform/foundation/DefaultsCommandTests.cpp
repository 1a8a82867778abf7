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
