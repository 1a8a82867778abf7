#include <gtest/gtest.h>

#include <future>
#include <limits>
#include <thread>

#include "FeedText.hpp"
#include "foundation/Dispatch.hpp"
#include "sparkle/Appcast.hpp"
#include "sparkle/SparkleError.hpp"
#include "sparkle/Updater.hpp"
#include "test_support/LoopbackServer.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"
#include "test_support/XMLPropertyList.hpp"

namespace {

using sparkle::Updater;
using sparkle::UpdaterConfiguration;
using sparkle_test::feed;
using sparkle_test::release;
using test_support::LoopbackServer;
using namespace std::chrono_literals;

// Remembers what the updater told the user.
struct RecordingDriver : sparkle::UserDriver {
  std::vector<sparkle::AppcastItem> found;
  int notFound = 0;
  std::vector<platform::ErrorPtr> errors;
  int calls() const { return static_cast<int>(found.size() + errors.size()) + notFound; }

  void showUpdateFound(const sparkle::AppcastItem& item, const UpdaterConfiguration&) override { found.push_back(item); }
  void showUpdateNotFound(const UpdaterConfiguration&) override { ++notFound; }
  void showUpdaterError(const platform::ErrorPtr& error) override { errors.push_back(error); }
};

class UpdaterTest : public ::testing::Test {
 protected:
  void SetUp() override { test_support::resetDefaults(); }

  UpdaterConfiguration configuration(std::string feedURL = {}) const {
    UpdaterConfiguration c;
    c.feedURL = feedURL.empty() ? server.baseURL() + "/appcast.xml" : feedURL;
    c.checkInterval = 24h;
    c.hostName = "Mervo";
    c.hostVersion = "1.9";
    c.hostDisplayVersion = "1.9";
    return c;
  }

  std::unique_ptr<Updater> makeUpdater(UpdaterConfiguration c) {
    return std::make_unique<Updater>(std::move(c), driver);
  }

  // Runs the main queue until the updater has finished its check.
  void finishCheck(Updater& updater) {
    ASSERT_TRUE(test_support::runMainQueueUntil([&] { return !updater.sessionInProgress(); }));
  }

  void rememberLastCheck(std::chrono::system_clock::time_point when) {
    platform::UserDefaults::standard().set(Updater::kLastCheckTimeKey, platform::PropertyValue::Date::fromTimePoint(when));
  }

  LoopbackServer server;
  std::shared_ptr<RecordingDriver> driver = std::make_shared<RecordingDriver>();
};

TEST_F(UpdaterTest, UpToDateIsToldAndTheCheckRemembered) {
  server.reply({200, feed(release("1.2") + release("1.9")), "application/rss+xml", {}});
  auto updater = makeUpdater(configuration());
  EXPECT_FALSE(updater->lastUpdateCheckDate());
  const auto before = std::chrono::system_clock::now() - 1s;
  updater->checkForUpdates();
  EXPECT_TRUE(updater->sessionInProgress());
  finishCheck(*updater);
  EXPECT_EQ(driver->notFound, 1);
  EXPECT_EQ(driver->calls(), 1);
  ASSERT_TRUE(updater->lastUpdateCheckDate());
  EXPECT_GE(*updater->lastUpdateCheckDate(), before);
  auto request = server.lastRequest();
  EXPECT_EQ(request.method, "GET");
  EXPECT_EQ(request.path, "/appcast.xml");
  EXPECT_EQ(request.header("User-Agent"), "Mervo/1.9");
}

TEST_F(UpdaterTest, TheNewestNewerReleaseIsOffered) {
  server.reply({200, feed(release("1.2") + release("1.10", "<p>Ten</p>") + release("1.9")), "application/rss+xml", {}});
  auto updater = makeUpdater(configuration());
  updater->checkForUpdates();
  finishCheck(*updater);
  ASSERT_EQ(driver->found.size(), 1u);
  EXPECT_EQ(driver->found[0].displayVersionString, "1.10");
  EXPECT_EQ(driver->found[0].itemDescription, "<p>Ten</p>");
  EXPECT_EQ(driver->calls(), 1);
}

struct Failure {
  const char* name;
  int status;
  std::string body;
  long code;
  const char* says;
};

// Named in test listings by its case name, not by its bytes.
void PrintTo(const Failure& c, std::ostream* os) { *os << c.name; }

class FailedCheck : public UpdaterTest, public ::testing::WithParamInterface<Failure> {
 protected:
  void expectShownAsAnError(const Failure& c) {
    server.reply({c.status, c.body, "application/rss+xml", {}});
    auto updater = makeUpdater(configuration());
    updater->checkForUpdates();
    finishCheck(*updater);
    ASSERT_EQ(driver->errors.size(), 1u);
    EXPECT_EQ(driver->calls(), 1);
    EXPECT_EQ(driver->errors[0]->domain(), sparkle::kErrorDomain);
    EXPECT_EQ(driver->errors[0]->code(), c.code);
    EXPECT_NE(driver->errors[0]->localizedDescription().find(c.says), std::string::npos)
        << driver->errors[0]->localizedDescription();
    EXPECT_TRUE(updater->lastUpdateCheckDate());
  }
};

TEST_P(FailedCheck, IsShownAsAnError) { expectShownAsAnError(GetParam()); }

INSTANTIATE_TEST_SUITE_P(
    Updater, FailedCheck,
    ::testing::Values(Failure{"MalformedFeed", 200, "<rss><channel><item>", sparkle::AppcastParseError, "not well-formed"},
                      Failure{"NotFound", 404, "gone", sparkle::AppcastError, "HTTP status 404"},
                      Failure{"NestedTenThousandDeep", 200, sparkle_test::nestedFeed(10000), sparkle::AppcastParseError,
                              "nested more than 32"}),
    [](const ::testing::TestParamInfo<Failure>& info) { return std::string(info.param.name); });

// Out of the table, whose values are all built when the program starts.
using LargeFeed = FailedCheck;
TEST_F(LargeFeed, IsStoppedByTheDownloadAtTheLimitAndShownAsAnError) {
  expectShownAsAnError(Failure{"TenMegabyteFeed", 200, feed(std::string(10 * 1024 * 1024, ' ')),
                               sparkle::AppcastParseError, "larger than 1048576 bytes"});
}

TEST_F(UpdaterTest, AnUnreachableFeedIsAnError) {
  auto updater = makeUpdater(configuration("http://127.0.0.1:" + std::to_string(test_support::closedLoopbackPort()) + "/a.xml"));
  updater->checkForUpdates();
  finishCheck(*updater);
  ASSERT_EQ(driver->errors.size(), 1u);
  EXPECT_EQ(driver->errors[0]->code(), sparkle::AppcastError);
  EXPECT_NE(driver->errors[0]->localizedDescription().find("Could not connect to the server."), std::string::npos);
}

TEST_F(UpdaterTest, AFeedAddressThatIsNoWebAddressIsAnError) {
  for (const char* address : {"", "file:///etc/passwd", "feed.xml"}) {
    SCOPED_TRACE(address);
    driver->errors.clear();
    auto c = configuration();
    c.feedURL = address;
    auto updater = makeUpdater(c);
    updater->checkForUpdates();
    finishCheck(*updater);
    ASSERT_EQ(driver->errors.size(), 1u);
    EXPECT_EQ(driver->errors[0]->code(), sparkle::InvalidFeedURLError);
  }
  EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(UpdaterTest, AScheduledCheckShowsOnlyANewerRelease) {
  struct Case {
    const char* name;
    LoopbackServer::Reply reply;
    int found;
  } cases[] = {{"up to date", {200, feed(release("1.9")), "application/rss+xml", {}}, 0},
               {"failing", {500, "", "text/plain", {}}, 0},
               {"newer", {200, feed(release("2.0")), "application/rss+xml", {}}, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    driver = std::make_shared<RecordingDriver>();
    server.reply(c.reply);
    auto updater = makeUpdater(configuration());
    updater->checkForUpdatesInBackground();
    finishCheck(*updater);
    EXPECT_EQ(static_cast<int>(driver->found.size()), c.found);
    EXPECT_EQ(driver->calls(), c.found);
  }
}

TEST_F(UpdaterTest, StartingChecksAtOnceWhenTheLastCheckIsAnIntervalAgo) {
  server.reply({200, feed(release("1.9")), "application/rss+xml", {}});
  rememberLastCheck(std::chrono::system_clock::now() - 25h);
  auto updater = makeUpdater(configuration());
  updater->startUpdater();
  ASSERT_TRUE(test_support::runMainQueueUntil([&] { return server.requestCount() == 1 && !updater->sessionInProgress(); }));
  EXPECT_EQ(driver->calls(), 0);
  EXPECT_GT(*updater->lastUpdateCheckDate(), std::chrono::system_clock::now() - 1h);
}

TEST_F(UpdaterTest, StartingWaitsForTheIntervalAfterARecentCheck) {
  rememberLastCheck(std::chrono::system_clock::now() - 1h);
  auto updater = makeUpdater(configuration());
  updater->startUpdater();
  platform::RunLoop::drainMainQueue();  // runs what is due now; the check is due in 23 hours
  EXPECT_FALSE(updater->sessionInProgress());
}

TEST_F(UpdaterTest, WithoutAutomaticChecksStartingChecksNothing) {
  auto c = configuration();
  c.automaticallyChecks = false;
  auto updater = makeUpdater(c);
  updater->startUpdater();
  platform::RunLoop::drainMainQueue();
  EXPECT_FALSE(updater->sessionInProgress());
}

TEST_F(UpdaterTest, AUserCheckDuringAScheduledOneJoinsItAndIsAnswered) {
  LoopbackServer::Reply slow{200, feed(release("1.9")), "application/rss+xml", {}};
  slow.delay = 200ms;
  server.reply(slow);
  auto updater = makeUpdater(configuration());
  updater->checkForUpdatesInBackground();
  updater->checkForUpdates();
  finishCheck(*updater);
  EXPECT_EQ(server.requestCount(), 1u);
  EXPECT_EQ(driver->notFound, 1);
  EXPECT_EQ(driver->calls(), 1);
}

TEST_F(UpdaterTest, AnAnswerAfterTheUpdaterIsGoneIsDropped) {
  // The server holds the feed back until the updater is gone.
  std::promise<void> answer;
  server.handle([held = answer.get_future().share()](const LoopbackServer::Request&) {
    held.wait_for(std::chrono::seconds(20));  // a failed test never leaves the server stuck
    return LoopbackServer::Reply{200, feed(release("2.0")), "application/rss+xml", {}};
  });
  auto updater = makeUpdater(configuration());
  updater->checkForUpdates();
  ASSERT_TRUE(test_support::runMainQueueUntil([&] { return server.requestCount() == 1; }));
  updater.reset();
  answer.set_value();
  // The answer is then the one work item the main queue gets: it runs and
  // finds nobody.
  int ran = 0;
  for (const auto deadline = std::chrono::steady_clock::now() + 20s; ran == 0 && std::chrono::steady_clock::now() < deadline;)
    if ((ran = platform::RunLoop::drainMainQueue()) == 0) std::this_thread::sleep_for(5ms);
  EXPECT_EQ(ran, 1);
  EXPECT_EQ(driver->calls(), 0);
}

TEST(UpdaterConfiguration, ComesFromTheInfoList) {
  struct Case {
    const char* name;
    platform::PropertyValue::Dictionary info;
    std::chrono::seconds interval;
    bool automatic;
  } cases[] = {
      {"defaults", {}, UpdaterConfiguration::kDefaultCheckInterval, true},
      {"interval in seconds", {{"SUScheduledCheckInterval", std::int64_t{7200}}, {"SUEnableAutomaticChecks", false}}, 7200s, false},
      {"too short an interval", {{"SUScheduledCheckInterval", std::int64_t{60}}}, UpdaterConfiguration::kMinimumCheckInterval, true},
      {"interval of another type", {{"SUScheduledCheckInterval", "often"}}, UpdaterConfiguration::kDefaultCheckInterval, true},
      {"interval as a real", {{"SUScheduledCheckInterval", 5400.5}}, 5400s, true},
      {"largest integer", {{"SUScheduledCheckInterval", std::numeric_limits<std::int64_t>::max()}},
       UpdaterConfiguration::kMaximumCheckInterval, true},
      {"beyond the integers", {{"SUScheduledCheckInterval", std::numeric_limits<std::uint64_t>::max()}},
       UpdaterConfiguration::kMaximumCheckInterval, true},
      {"huge real", {{"SUScheduledCheckInterval", 1e300}}, UpdaterConfiguration::kMaximumCheckInterval, true},
      {"negative", {{"SUScheduledCheckInterval", std::int64_t{-5}}}, UpdaterConfiguration::kMinimumCheckInterval, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test_support::TempDir folder;
    auto info = c.info;
    info["SUFeedURL"] = "https://quorbel.example/appcast.xml";
    info["CFBundleName"] = "Mervo";
    info["CFBundleVersion"] = "7";
    folder.write("Info.plist", test_support::xmlPropertyList(platform::PropertyValue(info)).value());
    auto configuration = UpdaterConfiguration::fromBundle(platform::Bundle(folder.path()));
    EXPECT_EQ(configuration.feedURL, "https://quorbel.example/appcast.xml");
    EXPECT_EQ(configuration.checkInterval, c.interval);
    EXPECT_EQ(configuration.automaticallyChecks, c.automatic);
    EXPECT_EQ(configuration.hostName, "Mervo");
    EXPECT_EQ(configuration.hostVersion, "7");
    EXPECT_EQ(configuration.hostDisplayVersion, "7");
    // A check an hour ago makes the next one due an interval later, not at
    // once (and then again and again).
    const auto now = std::chrono::system_clock::now();
    EXPECT_EQ(sparkle::delayUntilNextCheck(now - 1h, configuration.checkInterval, now), c.interval - 1h);
  }
}

TEST(CheckSchedule, NextCheckIsAnIntervalAfterTheLast) {
  const auto now = std::chrono::system_clock::now();
  EXPECT_EQ(sparkle::delayUntilNextCheck({}, 24h, now), 0s);
  EXPECT_EQ(sparkle::delayUntilNextCheck(now - 25h, 24h, now), 0s);
  EXPECT_EQ(sparkle::delayUntilNextCheck(now - 24h, 24h, now), 0s);
  EXPECT_EQ(sparkle::delayUntilNextCheck(now - 1h, 24h, now), 23h);
  EXPECT_EQ(sparkle::delayUntilNextCheck(now + 5h, 24h, now), 0s);  // a clock set back
}

}  // namespace
