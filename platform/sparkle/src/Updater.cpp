#include "sparkle/Updater.hpp"

#include <fmt/format.h>

#include "foundation/Dispatch.hpp"
#include "foundation/OSLog.hpp"
#include "foundation/Text.hpp"
#include "foundation/URLSession.hpp"
#include "sparkle/Appcast.hpp"
#include "sparkle/SparkleError.hpp"
#include "sparkle/VersionComparator.hpp"

namespace sparkle {
namespace {

using SystemClock = std::chrono::system_clock;
using FeedResult = std::expected<std::vector<AppcastItem>, platform::ErrorPtr>;

constexpr double kFeedTimeoutSeconds = 30;

bool isFetchableURL(const std::string& text) {
  auto url = platform::URL::parse(text);
  if (!url || url->host().empty()) return false;
  auto scheme = platform::text::lowercased(url->scheme());
  return scheme == "http" || scheme == "https";
}

// Runs on the session's thread: the reply becomes the feed's items or an error.
FeedResult readFeedReply(const std::optional<std::string>& body, const std::optional<platform::HTTPURLResponse>& response,
                         const platform::ErrorPtr& error) {
  if (error && error->domain() == platform::kURLErrorDomain && error->code() == platform::URLErrorDataLengthExceedsMaximum)
    return std::unexpected(feedTooLargeError());
  if (error)
    return std::unexpected(makeSparkleError(AppcastError,
                                            "The update feed could not be fetched: " + error->localizedDescription(),
                                            {{"NSUnderlyingError", error->debugDescription()}}));
  if (!response || response->statusCode != 200 || !body)
    return std::unexpected(makeSparkleError(
        AppcastError, fmt::format("The update feed could not be fetched (HTTP status {}).", response ? response->statusCode : 0)));
  return parseAppcast(*body);
}

// The newest release that is newer than the program, if any.
std::optional<AppcastItem> newestUpdate(const std::vector<AppcastItem>& items, const std::string& hostVersion) {
  const AppcastItem* best = nullptr;
  for (const auto& item : items) {
    if (compareVersions(item.versionString, hostVersion) <= 0) continue;
    if (!best || compareVersions(item.versionString, best->versionString) > 0) best = &item;
  }
  return best ? std::optional(*best) : std::nullopt;
}

}  // namespace

struct Updater::State : std::enable_shared_from_this<State> {
  State(UpdaterConfiguration configuration, std::shared_ptr<UserDriver> driver, platform::UserDefaults& defaults)
      : configuration(std::move(configuration)), driver(std::move(driver)), defaults(defaults) {}

  UpdaterConfiguration configuration;
  std::shared_ptr<UserDriver> driver;
  platform::UserDefaults& defaults;
  bool started = false;
  bool inProgress = false;
  bool userInitiated = false;
  std::uint64_t scheduleGeneration = 0;

  void check(bool byUser) {
    userInitiated = userInitiated || byUser;
    if (inProgress) return;
    inProgress = true;
    std::weak_ptr<State> weak = weak_from_this();
    auto deliver = [weak](FeedResult result) {
      platform::DispatchQueue::main().async([weak, result = std::move(result)] {
        if (auto state = weak.lock()) state->finish(result);
      });
    };
    if (!isFetchableURL(configuration.feedURL)) {
      deliver(std::unexpected(makeSparkleError(InvalidFeedURLError, "The update feed address is not a web address.",
                                               {{"SUFeedURL", configuration.feedURL}})));
      return;
    }
    platform::URLRequest request{configuration.feedURL,
                                 "GET",
                                 {{"Accept", "application/rss+xml, application/xml;q=0.9, */*;q=0.8"},
                                  {"User-Agent", configuration.hostName + "/" + configuration.hostDisplayVersion}},
                                 std::nullopt,
                                 kFeedTimeoutSeconds};
    request.maximumReplyBytes = kMaximumFeedBytes;
    platform::URLSession::shared().dataTask(std::move(request), [deliver](auto body, auto response, auto error) {
      deliver(readFeedReply(body, response, error));
    });
  }

  void finish(const FeedResult& result) {
    const bool byUser = std::exchange(userInitiated, false);
    inProgress = false;
    rememberCheck(SystemClock::now());
    if (!result) {
      if (byUser) driver->showUpdaterError(result.error());
      else platform::OSLog("tesvarin.quorbel", "Updater").log(platform::LogType::error, "Scheduled update check failed: " + result.error()->localizedDescription());
    } else if (auto update = newestUpdate(*result, configuration.hostVersion)) {
      driver->showUpdateFound(*update, configuration);
    } else if (byUser) {
      driver->showUpdateNotFound(configuration);
    }
    scheduleNextCheck();
  }

  std::optional<SystemClock::time_point> lastCheck() {
    auto stored = defaults.object(kLastCheckTimeKey);
    const auto* date = stored ? stored->asDate() : nullptr;
    if (!date) return std::nullopt;
    return date->timePoint();
  }

  void rememberCheck(SystemClock::time_point when) {
    defaults.set(kLastCheckTimeKey, platform::PropertyValue::Date::fromTimePoint(when));
    defaults.synchronize();
  }

  void scheduleNextCheck() {
    if (!started || !configuration.automaticallyChecks) return;
    auto delay = delayUntilNextCheck(lastCheck().value_or(SystemClock::time_point{}), configuration.checkInterval,
                                     SystemClock::now());
    const auto generation = ++scheduleGeneration;
    std::weak_ptr<State> weak = weak_from_this();
    platform::DispatchQueue::main().asyncAfter(delay, [weak, generation] {
      auto state = weak.lock();
      if (state && state->scheduleGeneration == generation) state->check(false);
    });
  }
};

Updater::Updater(UpdaterConfiguration configuration, std::shared_ptr<UserDriver> userDriver, platform::UserDefaults& defaults)
    : state_(std::make_shared<State>(std::move(configuration), std::move(userDriver), defaults)) {}

Updater::~Updater() = default;

void Updater::startUpdater() {
  if (state_->started) return;
  state_->started = true;
  state_->scheduleNextCheck();
}

void Updater::checkForUpdates() { state_->check(true); }

void Updater::checkForUpdatesInBackground() { state_->check(false); }

bool Updater::sessionInProgress() const { return state_->inProgress; }

std::optional<std::chrono::system_clock::time_point> Updater::lastUpdateCheckDate() const { return state_->lastCheck(); }

const UpdaterConfiguration& Updater::configuration() const { return state_->configuration; }

}  // namespace sparkle
