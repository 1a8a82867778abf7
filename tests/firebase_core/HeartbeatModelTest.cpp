#include <gtest/gtest.h>

#include "HeartbeatTestSupport.hpp"
#include "firebase_core/GzipData.hpp"
#include "firebase_core/HeartbeatsBundle.hpp"
#include "foundation/Base64.hpp"
#include "foundation/Json.hpp"

namespace firebase {
namespace {

using testing::day;
using testing::heartbeatOn;

std::vector<std::string> agentsBySlot(const HeartbeatsBundle& bundle) {
  std::vector<std::string> agents;
  for (const auto& slot : bundle.buffer().storedSlots()) agents.push_back(slot ? slot->agent : "-");
  return agents;
}

TEST(HeartbeatModelTest, ThirtyDaysFillTheBufferAndTheNextReplacesTheOldest) {
  HeartbeatsBundle bundle(30);
  for (int n = 0; n < 30; ++n) bundle.append(heartbeatOn(n, "day" + std::to_string(n)));
  EXPECT_EQ(bundle.buffer().elements().size(), 30u);
  EXPECT_EQ(bundle.buffer().tailIndex(), 0u);

  bundle.append(heartbeatOn(30, "day30"));
  EXPECT_EQ(bundle.buffer().storedSlots()[0]->agent, "day30");
  EXPECT_EQ(bundle.buffer().elements().size(), 30u);
  EXPECT_EQ(bundle.lastAddedHeartbeatDates().at(TimePeriod::daily), day(30));
}

TEST(HeartbeatModelTest, ReplacingTheLastAddedDateFallsBackToTheDistantPast) {
  HeartbeatsBundle bundle(1);
  bundle.append(heartbeatOn(0));
  bundle.append(Heartbeat{"no periods", day(5), 0, {}});
  EXPECT_EQ(bundle.lastAddedHeartbeatDates().at(TimePeriod::daily), distantPast());
}

TEST(HeartbeatModelTest, CapacityZeroKeepsNothing) {
  HeartbeatsBundle bundle(0);
  bundle.append(heartbeatOn(0));
  EXPECT_TRUE(bundle.buffer().elements().empty());
  EXPECT_EQ(bundle.makePayload(), HeartbeatsPayload::emptyPayload());
}

TEST(HeartbeatModelTest, TakingAHeartbeatKeepsTheOthersInOrder) {
  HeartbeatsBundle bundle(3);
  for (int n = 0; n < 3; ++n) bundle.append(heartbeatOn(n, std::string(1, static_cast<char>('A' + n))));
  EXPECT_EQ(bundle.takeHeartbeat(day(1))->agent, "B");
  EXPECT_EQ(agentsBySlot(bundle), (std::vector<std::string>{"A", "C", "-"}));
  EXPECT_EQ(bundle.buffer().tailIndex(), 2u);

  HeartbeatsBundle sparse(30);
  sparse.append(heartbeatOn(0, "A"));
  sparse.append(heartbeatOn(1, "B"));
  EXPECT_FALSE(sparse.takeHeartbeat(day(9)).has_value());
  const auto agents = agentsBySlot(sparse);
  EXPECT_EQ(agents[29], "A");
  EXPECT_EQ(agents[0], "B");
  EXPECT_EQ(agents[1], "-");
  EXPECT_EQ(sparse.buffer().tailIndex(), 1u);
}

TEST(HeartbeatModelTest, PayloadGroupsDatesByAgentSortedByAgent) {
  HeartbeatsBundle bundle(30);
  bundle.append(heartbeatOn(0, "b"));
  bundle.append(heartbeatOn(1, "a"));
  bundle.append(heartbeatOn(2, "b"));
  const HeartbeatsPayload expected{{{"a", {day(1)}}, {"b", {day(0), day(2)}}}, 2};
  EXPECT_EQ(bundle.makePayload(), expected);
  EXPECT_EQ(heartbeatOn(3, "x").makePayload(), (HeartbeatsPayload{{{"x", {day(3)}}}, 2}));
}

TEST(HeartbeatModelTest, EncodesTheStoreFileFormat) {
  HeartbeatsBundle bundle(2);
  bundle.append(heartbeatOn(0));
  const auto json = platform::json::parse(*bundle.encode());
  ASSERT_TRUE(json.has_value());
  const double may1 = 736214400;  // 2024-05-01 in seconds since 2001
  EXPECT_EQ((*json)["capacity"], 2);
  EXPECT_EQ((*json)["lastAddedHeartbeatDates"], platform::json::Value::parse("[1, 736214400]"));
  EXPECT_EQ((*json)["buffer"]["tailIndex"], 1);
  EXPECT_EQ((*json)["buffer"]["circularQueue"][1], nullptr);
  const auto& heartbeat = (*json)["buffer"]["circularQueue"][0];
  EXPECT_EQ(heartbeat["agent"], "agent/1");
  EXPECT_EQ(heartbeat["date"].get<double>(), may1);
  EXPECT_EQ(heartbeat["version"], 0);
  EXPECT_EQ(heartbeat["timePeriods"], platform::json::Value::parse("[1]"));

  auto decoded = HeartbeatsBundle::decode(*bundle.encode());
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(decoded->buffer().storedSlots(), bundle.buffer().storedSlots());
  EXPECT_EQ(decoded->lastAddedHeartbeatDates(), bundle.lastAddedHeartbeatDates());
  EXPECT_EQ(HeartbeatsBundle::decode(*HeartbeatsBundle(30).encode())->lastAddedHeartbeatDates().at(TimePeriod::daily),
            distantPast());
}

TEST(HeartbeatModelTest, DamagedOrHostileDocumentsDoNotDecode) {
  const std::string heartbeat = R"({"agent":"a","date":736214400,"version":0,"timePeriods":[1]})";
  const char* documents[] = {
      "",
      "not json",
      "[]",
      R"({"capacity":1,"lastAddedHeartbeatDates":[1,0]})",
      R"({"capacity":1,"lastAddedHeartbeatDates":[1,0],"buffer":{"circularQueue":[null]}})",
      R"({"capacity":"1","lastAddedHeartbeatDates":[1,0],"buffer":{"circularQueue":[null],"tailIndex":0}})",
      R"({"capacity":1,"lastAddedHeartbeatDates":[2,0],"buffer":{"circularQueue":[null],"tailIndex":0}})",
      R"({"capacity":1,"lastAddedHeartbeatDates":[1],"buffer":{"circularQueue":[null],"tailIndex":0}})",
      R"({"capacity":1,"lastAddedHeartbeatDates":[1,"x"],"buffer":{"circularQueue":[null],"tailIndex":0}})",
      R"({"capacity":1,"lastAddedHeartbeatDates":[1,1e300],"buffer":{"circularQueue":[null],"tailIndex":0}})",
      // slots and capacity disagree, or the tail is not a slot
      R"({"capacity":30,"lastAddedHeartbeatDates":[1,0],"buffer":{"circularQueue":[null],"tailIndex":0}})",
      R"({"capacity":1,"lastAddedHeartbeatDates":[1,0],"buffer":{"circularQueue":[null,null],"tailIndex":0}})",
      R"({"capacity":1,"lastAddedHeartbeatDates":[1,0],"buffer":{"circularQueue":[null],"tailIndex":1}})",
      R"({"capacity":1,"lastAddedHeartbeatDates":[1,0],"buffer":{"circularQueue":[null],"tailIndex":-1}})",
      R"({"capacity":0,"lastAddedHeartbeatDates":[1,0],"buffer":{"circularQueue":[],"tailIndex":3}})",
      R"({"capacity":-1,"lastAddedHeartbeatDates":[1,0],"buffer":{"circularQueue":[],"tailIndex":0}})",
      R"({"capacity":1,"lastAddedHeartbeatDates":[1,0],"buffer":{"circularQueue":[{"agent":"a"}],"tailIndex":0}})",
      R"({"capacity":1,"lastAddedHeartbeatDates":[1,0],"buffer":{"circularQueue":[{"agent":"a","date":0,"version":0,"timePeriods":[7]}],"tailIndex":0}})",
      R"({"capacity":1,"lastAddedHeartbeatDates":[1,0],"buffer":{"circularQueue":[{"agent":1,"date":0,"version":0,"timePeriods":[1]}],"tailIndex":0}})",
  };
  for (const char* document : documents) EXPECT_FALSE(HeartbeatsBundle::decode(document).has_value()) << document;

  const std::string good = R"({"capacity":2,"lastAddedHeartbeatDates":[1,736214400],"buffer":{"circularQueue":[)" +
                           heartbeat + R"(,null],"tailIndex":1}})";
  auto decoded = HeartbeatsBundle::decode(good);
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(decoded->buffer().elements(), std::vector<Heartbeat>{Heartbeat({"a", day(0), 0, {TimePeriod::daily}})});
}

TEST(HeartbeatModelTest, HeaderValueRoundTripsThroughBase64AndGzip) {
  const HeartbeatsPayload payload{{{"agent/1", {day(0), day(1)}}, {"agent/2", {day(2)}}}, 2};
  const std::string header = payload.headerValue();
  EXPECT_EQ(header.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_"),
            std::string::npos);
  auto compressed = platform::base64::decodeURLSafe(header);
  ASSERT_TRUE(compressed.has_value());
  auto json = gzip::dataByInflatingGzippedData(*compressed);
  ASSERT_TRUE(json.has_value());
  const std::string text(json->begin(), json->end());
  EXPECT_EQ(platform::json::parse(text).value(),
            platform::json::Value::parse(R"({"heartbeats":[{"agent":"agent/1","dates":["2024-05-01","2024-05-02"]},
                                              {"agent":"agent/2","dates":["2024-05-03"]}],"version":2})"));
  EXPECT_EQ(HeartbeatsPayload::fromHeaderJSON(text), payload);
}

TEST(HeartbeatModelTest, EmptyPayloadHasAHeaderValueButNoLoggerValue) {
  const auto& empty = HeartbeatsPayload::emptyPayload();
  EXPECT_TRUE(empty.isEmpty());
  EXPECT_EQ(empty.headerJSON(), R"({"heartbeats":[],"version":2})");
  EXPECT_FALSE(empty.headerValue().empty());
  EXPECT_FALSE(FIRHeaderValueFromHeartbeatsPayload(&empty).has_value());
  EXPECT_FALSE(FIRHeaderValueFromHeartbeatsPayload(nullptr).has_value());
  EXPECT_NE(empty, (HeartbeatsPayload{{}, 1}));
  EXPECT_TRUE((HeartbeatsPayload{{}, 1}).isEmpty());
}

TEST(HeartbeatModelTest, HeaderDatesAreUTCDays) {
  const Date lastSecond = day(0) + std::chrono::duration<double>(86399);
  const Date justAfterMidnight = day(1) + std::chrono::duration<double>(0.001);
  const HeartbeatsPayload payload{{{"a", {lastSecond, justAfterMidnight}}}, 2};
  EXPECT_NE(payload.headerJSON()->find(R"(["2024-05-01","2024-05-02"])"), std::string::npos);
}

}  // namespace
}  // namespace firebase
