#include <spawn.h>
#include <sys/wait.h>

#include <ctime>
#include <set>

#include <fmt/chrono.h>
#include <gtest/gtest.h>

#include "RouterTestSupport.hpp"
#include "router/ExtensionConfig.hpp"
#include "test_support/TempDir.hpp"

using quorbel::ExtensionConfig;
using router_test::RouterTest;
using test_support::ScopedEnv;

extern char** environ;

namespace {

struct LookupCase {
  const char* name;
  std::optional<std::string> environment;  // nullopt: unset
  std::optional<std::string> dotEnv;       // file contents; nullopt: no file
  std::string expected;
};

void PrintTo(const LookupCase& c, std::ostream* os) { *os << c.name; }

class ConfigLookup : public RouterTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(ConfigLookup, EnvironmentThenDotEnvThenDefault) {
  const auto& c = GetParam();
  if (c.dotEnv) router_test::writeDotEnv(*c.dotEnv);
  ScopedEnv env("QUORBEL_KEY", c.environment);
  EXPECT_EQ(ExtensionConfig::value("QUORBEL_KEY", "fallback"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ConfigLookup,
    ::testing::Values(
        LookupCase{"EnvironmentWins", "env", "QUORBEL_KEY=file\n", "env"},
        LookupCase{"EmptyEnvironmentDoesNotHideFile", "", "QUORBEL_KEY=abc\n", "abc"},
        LookupCase{"NoFileGivesDefault", std::nullopt, std::nullopt, "fallback"},
        LookupCase{"FirstMatchWinsEvenWhenEmpty", std::nullopt, "QUORBEL_KEY=\nQUORBEL_KEY=abc\n", "fallback"},
        LookupCase{"LineIsTrimmed", std::nullopt, "   QUORBEL_KEY=abc  \t\n", "abc"},
        LookupCase{"EmptyQuotesGiveDefault", std::nullopt, "QUORBEL_KEY=\"\"\n", "fallback"},
        LookupCase{"QuotesStrippedAtEndsOnly", std::nullopt, "QUORBEL_KEY='a'b'\n", "a'b"},
        LookupCase{"AnyNumberOfEitherQuote", std::nullopt, "QUORBEL_KEY=\"'v'\"\n", "v"},
        LookupCase{"OtherKeyWithSameSuffixDoesNotMatch", std::nullopt, "MYQUORBEL_KEY=1\n", "fallback"},
        LookupCase{"BlankBeforeEqualsNeverMatches", std::nullopt, "QUORBEL_KEY = value\n", "fallback"},
        LookupCase{"BlankAfterEqualsStays", std::nullopt, "QUORBEL_KEY= value\n", " value"},
        LookupCase{"NoCommentSyntax", std::nullopt, "# QUORBEL_KEY=x\nexport QUORBEL_KEY=y\nQUORBEL_KEY=z # note\n",
                   "z # note"},
        LookupCase{"KeyIsCaseSensitive", std::nullopt, "quorbel_key=x\n", "fallback"},
        LookupCase{"CarriageReturnLineFeeds", std::nullopt, "A=1\r\nQUORBEL_KEY=crlf\r\nB=2\r\n", "crlf"},
        LookupCase{"UnicodeLineSeparator", std::nullopt, "A=1\u2028QUORBEL_KEY=ls", "ls"},
        LookupCase{"ByteOrderMarkIgnored", std::nullopt, "\xEF\xBB\xBFQUORBEL_KEY=bom\n", "bom"},
        LookupCase{"FileThatIsNotTextGivesDefault", std::nullopt, "QUORBEL_KEY=\xff\xfe bad\n", "fallback"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RouterTest, ParseDotEnvTellsMissingFromEmpty) {
  EXPECT_EQ(ExtensionConfig::parseDotEnv("K"), std::nullopt);
  router_test::writeDotEnv("K=\n");
  EXPECT_EQ(ExtensionConfig::parseDotEnv("K"), "");
  EXPECT_EQ(ExtensionConfig::parseDotEnv("OTHER"), std::nullopt);
}

TEST_F(RouterTest, DotEnvIsReadAgainOnEveryLookup) {
  router_test::writeDotEnv("K=one\n");
  EXPECT_EQ(ExtensionConfig::value("K", ""), "one");
  router_test::writeDotEnv("K=two\n");
  EXPECT_EQ(ExtensionConfig::value("K", ""), "two");
}

struct SwitchCase {
  const char* name;
  std::optional<std::string> environment;
  std::optional<std::string> dotEnv;
  bool on;
};

void PrintTo(const SwitchCase& c, std::ostream* os) { *os << c.name; }

class DebugSwitch : public RouterTest, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(DebugSwitch, OnlyTrueInAnyCaseOrExactlyOne) {
  const auto& c = GetParam();
  if (c.dotEnv) router_test::writeDotEnv(*c.dotEnv);
  ScopedEnv env("DEBUG_LOGGING", c.environment);
  EXPECT_EQ(ExtensionConfig::isDebugLoggingEnabled(), c.on);
}

INSTANTIATE_TEST_SUITE_P(
    Values, DebugSwitch,
    ::testing::Values(SwitchCase{"Unset", std::nullopt, std::nullopt, false},
                      SwitchCase{"True", "true", std::nullopt, true}, SwitchCase{"Capitals", "TRUE", std::nullopt, true},
                      SwitchCase{"Mixed", "TrUe", std::nullopt, true}, SwitchCase{"One", "1", std::nullopt, true},
                      SwitchCase{"ZeroOne", "01", std::nullopt, false}, SwitchCase{"Yes", "yes", std::nullopt, false},
                      SwitchCase{"On", "on", std::nullopt, false},
                      SwitchCase{"TrailingBlankInEnvironment", "true ", std::nullopt, false},
                      SwitchCase{"LeadingBlankOne", " 1", std::nullopt, false},
                      SwitchCase{"TrailingBlankInFileIsTrimmed", std::nullopt, "DEBUG_LOGGING=true \n", true},
                      SwitchCase{"False", "false", "DEBUG_LOGGING=true\n", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RouterTest, ProcessWideValuesKeepTheirFirstLookup) {
  ScopedEnv model("GEMINI_MODEL", "gemini-first");
  ScopedEnv group("APP_GROUP_ID", "group.first");
  EXPECT_EQ(ExtensionConfig::geminiModel(), "gemini-first");
  EXPECT_EQ(ExtensionConfig::appGroupID(), "group.first");
  ScopedEnv model2("GEMINI_MODEL", "gemini-second");
  ScopedEnv group2("APP_GROUP_ID", "group.second");
  EXPECT_EQ(ExtensionConfig::geminiModel(), "gemini-first");
  EXPECT_EQ(ExtensionConfig::appGroupID(), "group.first");
}

TEST_F(RouterTest, ProcessWideValuesDefaults) {
  EXPECT_EQ(ExtensionConfig::geminiModel(), "gemini-2.0-flash-lite");
  EXPECT_EQ(ExtensionConfig::appGroupID(), "group.tesvarin.quorbel");
}

TEST_F(RouterTest, ApiModeIsWorkerOnlyForTheExactWord) {
  auto shared = router_test::suite();
  EXPECT_EQ(ExtensionConfig::currentAPIMode(), ExtensionConfig::APIMode::direct);
  shared->set("current_api_mode", "worker");
  EXPECT_EQ(ExtensionConfig::currentAPIMode(), ExtensionConfig::APIMode::worker);
  shared->set("current_api_mode", "Worker");
  EXPECT_EQ(ExtensionConfig::currentAPIMode(), ExtensionConfig::APIMode::direct);
  shared->set("current_api_mode", "direct");
  EXPECT_EQ(ExtensionConfig::currentAPIMode(), ExtensionConfig::APIMode::direct);
}

TEST_F(RouterTest, ApiModeOfASuiteThatCannotBeOpenedIsDirectWithAnErrorLineAlways) {
  router_test::corruptSuiteFile();
  test_support::ConsoleCapture console;
  EXPECT_EQ(ExtensionConfig::currentAPIMode(), ExtensionConfig::APIMode::direct);
  EXPECT_EQ(console.lines(), std::vector<std::string>{"Error: Could not access shared UserDefaults for API mode"});
}

TEST_F(RouterTest, ProviderRawValuesAreExact) {
  using P = ExtensionConfig::LLMProvider;
  for (auto p : {P::gemini, P::openai, P::ollama, P::custom}) EXPECT_EQ(quorbel::providerFromRawValue(quorbel::rawValue(p)), p);
  EXPECT_EQ(quorbel::rawValue(P::custom), "custom");
  for (const char* other : {"Gemini", " openai", "OLLAMA", "", "custom "})
    EXPECT_EQ(quorbel::providerFromRawValue(other), std::nullopt) << other;
}

TEST_F(RouterTest, DebugLogKeepsTheNewestTwentyLines) {
  for (int i = 1; i <= 21; ++i) quorbel::logExtensionDebug("message " + std::to_string(i));
  platform::UserDefaults::resetForTesting();  // read what reached the file
  auto lines = router_test::suite()->stringArray("extension_debug_logs");
  ASSERT_TRUE(lines);
  ASSERT_EQ(lines->size(), 20u);
  EXPECT_TRUE(lines->front().ends_with("] message 2")) << lines->front();
  EXPECT_TRUE(lines->back().ends_with("] message 21")) << lines->back();
  EXPECT_TRUE(lines->back().starts_with("[")) << lines->back();
}

// Compose sessions are processes of their own, each logging from any thread.
TEST_F(RouterTest, DebugLogKeepsTheLinesOfSessionsThatLogAtOnce) {
  constexpr int kSessions = 5, kThreads = 2, kLinesEach = 2;  // 20 lines: all are kept
  std::vector<pid_t> sessions;
  for (int s = 0; s < kSessions; ++s) {
    std::string program = DEBUG_LOGGER, prefix = "session" + std::to_string(s), threads = std::to_string(kThreads),
                lines = std::to_string(kLinesEach);
    char* argv[] = {program.data(), prefix.data(), threads.data(), lines.data(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, DEBUG_LOGGER, nullptr, nullptr, argv, environ), 0);
    sessions.push_back(pid);
  }
  for (pid_t pid : sessions) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  platform::UserDefaults::resetForTesting();
  const auto lines = router_test::suite()->stringArray("extension_debug_logs").value_or(std::vector<std::string>{});
  std::set<std::string> messages;
  for (const auto& line : lines) messages.insert(line.substr(line.find("] ") + 2));
  std::set<std::string> expected;
  for (int s = 0; s < kSessions; ++s)
    for (int t = 0; t < kThreads; ++t)
      for (int i = 0; i < kLinesEach; ++i)
        expected.insert("session" + std::to_string(s) + " " + std::to_string(t) + " " + std::to_string(i));
  EXPECT_EQ(messages, expected);
}

TEST_F(RouterTest, DebugLogLinesAreDatedInUTCWhateverTheLocalZone) {
  auto utcNow = [] {
    return fmt::format("[{:%Y-%m-%d %H:%M:%S} +0000] ",
                       fmt::gmtime(std::chrono::system_clock::to_time_t(std::chrono::system_clock::now())));
  };
  {
    ScopedEnv zone("TZ", "QRB-05:30");  // five and a half hours east of UTC
    tzset();
    std::string before = utcNow();
    quorbel::logExtensionDebug("dated");
    std::string after = utcNow();
    auto line = router_test::suite()->stringArray("extension_debug_logs")->back();
    EXPECT_TRUE(line == before + "dated" || line == after + "dated") << line << " vs " << before;
  }
  tzset();
}

TEST_F(RouterTest, DebugLogStartsAfreshFromAValueThatIsNotAnArrayOfTexts) {
  router_test::suite()->set("extension_debug_logs", "not an array");
  quorbel::logExtensionDebug("first");
  auto lines = router_test::suite()->stringArray("extension_debug_logs");
  ASSERT_TRUE(lines);
  ASSERT_EQ(lines->size(), 1u);
}

TEST_F(RouterTest, DebugLogGoesToStandardDefaultsWhenTheSuiteCannotBeOpened) {
  router_test::corruptSuiteFile();
  quorbel::logExtensionDebug("kept anyway");
  auto lines = platform::UserDefaults::standard().stringArray("extension_debug_logs");
  ASSERT_TRUE(lines);
  EXPECT_TRUE(lines->back().ends_with("] kept anyway"));
  // The unreadable file is left as it was.
  EXPECT_EQ(test_support::readFile(platform::UserDefaults::fileForDomain(router_test::kSuiteName)),
            "this is not a property list");
}

TEST_F(RouterTest, DebugLogFollowsAppGroupId) {
  ScopedEnv group("APP_GROUP_ID", "group.renamed");
  quorbel::logExtensionDebug("renamed");
  EXPECT_TRUE(router_test::suite("group.renamed")->stringArray("extension_debug_logs"));
  EXPECT_FALSE(router_test::suite()->stringArray("extension_debug_logs"));
}

}  // namespace
