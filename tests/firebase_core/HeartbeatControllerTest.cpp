#include <gtest/gtest.h>

#include <fstream>
#include <future>

#include "CoreTestEnvironment.hpp"
#include "HeartbeatTestSupport.hpp"
#include "firebase_core/FIRHeartbeatLogger.hpp"
#include "firebase_core/GzipData.hpp"
#include "firebase_core/HeartbeatController.hpp"
#include "foundation/Base64.hpp"
#include "foundation/Json.hpp"

namespace firebase {
namespace {

using namespace std::chrono_literals;
using testing::CoreTest;
using testing::day;
using testing::MemoryStorage;

constexpr const char* kAppID = "1:123456789012:ios:0a1b2c3d4e5f60718293a4";

class HeartbeatControllerTest : public CoreTest {
 protected:
  // A controller on the app's real store file, with a clock the test moves.
  std::shared_ptr<HeartbeatController> controllerOnFile() {
    return std::make_shared<HeartbeatController>(HeartbeatStorage::instance(kAppID), [this] { return now_; });
  }
  std::filesystem::path storeFile() const { return FileStorage::urlForHeartbeatId(kAppID); }
  std::string storeText() const {
    std::ifstream file(storeFile(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), {});
  }
  // Days of the payload, in the order it holds them.
  static std::vector<Date> datesOf(const HeartbeatsPayload& payload) {
    std::vector<Date> dates;
    for (const auto& entry : payload.userAgentPayloads)
      dates.insert(dates.end(), entry.dates.begin(), entry.dates.end());
    return dates;
  }

  Date now_ = day(0) + 10h;
};

TEST_F(HeartbeatControllerTest, AtMostOneHeartbeatADayAndThirtyKept) {
  auto controller = controllerOnFile();
  for (int n = 0; n < 45; ++n) {
    for (auto time : {0h + 0s, 9h + 30s, 23h + 59min + 59s}) {
      now_ = day(n) + time;
      controller->log("agent/1");
    }
  }
  const auto payload = controller->flush();
  ASSERT_EQ(payload.userAgentPayloads.size(), 1u);
  auto dates = datesOf(payload);
  ASSERT_EQ(dates.size(), 30u);
  std::sort(dates.begin(), dates.end());
  for (int i = 0; i < 30; ++i) EXPECT_EQ(dates[i], day(15 + i));
}

TEST_F(HeartbeatControllerTest, TheStoreFileHoldsDatesInSecondsSince2001) {
  auto controller = controllerOnFile();
  now_ = day(3) + 17h;
  controller->log("agent/1");
  HeartbeatStorage::instance(kAppID)->updateSync([](auto stored) { return stored; });

  auto json = platform::json::parse(storeText());
  ASSERT_TRUE(json.has_value()) << storeText();
  const double may4 = 736214400.0 + 3 * 86400.0;  // 2024-05-04 00:00 UTC
  EXPECT_EQ((*json)["capacity"], 30);
  EXPECT_EQ((*json)["lastAddedHeartbeatDates"][0], 1);
  EXPECT_EQ((*json)["lastAddedHeartbeatDates"][1].get<double>(), may4);
  EXPECT_EQ((*json)["buffer"]["tailIndex"], 1);
  ASSERT_EQ((*json)["buffer"]["circularQueue"].size(), 30u);
  const auto& heartbeat = (*json)["buffer"]["circularQueue"][0];
  EXPECT_EQ(heartbeat["agent"], "agent/1");
  EXPECT_EQ(heartbeat["date"].get<double>(), may4);
  EXPECT_EQ(heartbeat["version"], 0);
  EXPECT_EQ(heartbeat["timePeriods"], platform::json::Value::parse("[1]"));
}

TEST_F(HeartbeatControllerTest, FlushKeepsTodayLoggedUntilTheNextDay) {
  auto controller = controllerOnFile();
  controller->log("agent/1");
  EXPECT_EQ(datesOf(controller->flush()), std::vector<Date>{day(0)});
  controller->log("agent/1");
  EXPECT_TRUE(controller->flush().isEmpty());
  now_ = day(1);
  controller->log("agent/1");
  EXPECT_EQ(datesOf(controller->flush()), std::vector<Date>{day(1)});
}

TEST_F(HeartbeatControllerTest, TodaysHeartbeatCanBeTakenOnce) {
  FIRHeartbeatLogger logger(controllerOnFile(), [] { return std::string("agent/1"); });
  EXPECT_EQ(logger.heartbeatCodeForToday(), FIRDailyHeartbeatCode::none);
  logger.log();
  EXPECT_EQ(logger.heartbeatCodeForToday(), FIRDailyHeartbeatCode::some);
  EXPECT_EQ(logger.heartbeatCodeForToday(), FIRDailyHeartbeatCode::none);
  logger.log();
  EXPECT_EQ(logger.heartbeatCodeForToday(), FIRDailyHeartbeatCode::none);
  now_ = day(1) + 3h;
  logger.log();
  EXPECT_EQ(logger.heartbeatCodeForToday(), FIRDailyHeartbeatCode::some);
}

TEST_F(HeartbeatControllerTest, AClockSetBackLogsNothingUntilADayHasPassed) {
  auto controller = controllerOnFile();
  now_ = day(5);
  controller->log("a");
  now_ = day(4);
  controller->log("a");
  now_ = day(5) + 23h;
  controller->log("a");
  now_ = day(6);
  controller->log("a");
  EXPECT_EQ(datesOf(controller->flush()), (std::vector<Date>{day(5), day(6)}));
}

TEST_F(HeartbeatControllerTest, ADamagedStoreFileNeverCostsTheNextHeartbeat) {
  std::filesystem::create_directories(storeFile().parent_path());
  HeartbeatsBundle full(30);
  for (int n = -40; n < -10; ++n) full.append(testing::heartbeatOn(n));
  const std::string encoded = *full.encode();
  const std::string truncated = encoded.substr(0, encoded.size() / 2);
  const std::string damaged[] = {
      "",
      "garbage",
      R"({"capacity":30,"lastAddedHeartbeatDates":[1,736214400],"buffer":{"circularQueue":[],"tailIndex":30}})",
      R"({"capacity":30,"lastAddedHeartbeatDates":[1,736214400],"buffer":{"circularQueue":[null],"tailIndex":99999}})",
      R"({"capacity":2,"lastAddedHeartbeatDates":[1,736214400],"buffer":{"circularQueue":[null,null],"tailIndex":-5}})",
      R"({"capacity":9223372036854775807,"lastAddedHeartbeatDates":[],"buffer":{"circularQueue":[],"tailIndex":0}})",
      std::string(100000, '['),
      truncated,
      // Well formed, but without a last-added date for the daily period.
      R"({"capacity":1,"lastAddedHeartbeatDates":[],"buffer":{"circularQueue":[null],"tailIndex":0}})",
  };
  for (const auto& content : damaged) {
    std::ofstream(storeFile(), std::ios::binary | std::ios::trunc) << content;
    auto controller = controllerOnFile();
    controller->log("agent/1");
    EXPECT_EQ(datesOf(controller->flush()), std::vector<Date>{day(0)}) << content.substr(0, 80);
  }
}

TEST_F(HeartbeatControllerTest, HeaderValueRoundTripsAndEmptiesTheStore) {
  std::string agent = "agent/1";
  FIRHeartbeatLogger logger(controllerOnFile(), [&] { return agent; });
  EXPECT_FALSE(logger.headerValue().has_value());
  EXPECT_TRUE(std::filesystem::exists(storeFile()));
  EXPECT_EQ(std::filesystem::file_size(storeFile()), 0u);

  for (int n = 0; n < 3; ++n) {
    now_ = day(n) + 12h;
    agent = n == 1 ? "agent/2" : "agent/1";
    logger.log();
  }
  const auto header = logger.headerValue();
  ASSERT_TRUE(header.has_value());
  auto compressed = platform::base64::decodeURLSafe(*header);
  ASSERT_TRUE(compressed.has_value());
  auto json = gzip::dataByInflatingGzippedData(*compressed);
  ASSERT_TRUE(json.has_value());
  const auto payload = HeartbeatsPayload::fromHeaderJSON(std::string(json->begin(), json->end()));
  EXPECT_EQ(payload, (HeartbeatsPayload{{{"agent/1", {day(0), day(2)}}, {"agent/2", {day(1)}}}, 2}));
  EXPECT_FALSE(logger.headerValue().has_value());

  now_ = day(3);
  logger.log();
  std::promise<std::optional<std::string>> asyncHeader;
  logger.asyncHeaderValue([&](std::optional<std::string> value) { asyncHeader.set_value(std::move(value)); });
  EXPECT_TRUE(asyncHeader.get_future().get().has_value());
}

TEST_F(HeartbeatControllerTest, AFailedFlushWriteAnswersTheEmptyPayload) {
  auto storage = std::make_unique<MemoryStorage>();
  auto* memory = storage.get();
  auto store = std::make_shared<HeartbeatStorage>("1:9:ios:fail", std::move(storage));
  HeartbeatController controller(store, [this] { return now_; });
  controller.log("agent/1");
  store->updateSync([](auto stored) { return stored; });
  memory->failWrites = true;
  EXPECT_TRUE(controller.flush().isEmpty());
  std::promise<bool> empty;
  controller.flushAsync([&](const HeartbeatsPayload& payload) { empty.set_value(payload.isEmpty()); });
  EXPECT_TRUE(empty.get_future().get());
  memory->failWrites = false;
  EXPECT_EQ(datesOf(controller.flush()), std::vector<Date>{day(0)});
}

}  // namespace
}  // namespace firebase
