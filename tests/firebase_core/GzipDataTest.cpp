#include <gtest/gtest.h>
#include <sys/mman.h>
#include <zlib.h>

#include <cstdlib>
#include <random>

#include "firebase_core/GzipData.hpp"
#include "foundation/Error.hpp"
#include "test_support/TempDir.hpp"

namespace firebase {
namespace {

using gzip::Data;

class GzipDataTest : public ::testing::Test {
 protected:
  void writeFile(const std::string& name, const Data& data) {
    folder_.write(name, std::string(data.begin(), data.end()));
  }
  Data readFile(const std::string& name) {
    const std::string text = test_support::readFile(folder_.path() / name);
    return Data(text.begin(), text.end());
  }
  void run(const std::string& command) {
    ASSERT_EQ(std::system(("cd '" + folder_.path().string() + "' && " + command).c_str()), 0);
  }

  test_support::TempDir folder_;
};

Data textData(const std::string& text) { return Data(text.begin(), text.end()); }

Data randomData(std::size_t size) {
  std::mt19937 generator(42);
  Data data(size);
  for (auto& byte : data) byte = static_cast<std::uint8_t>(generator());
  return data;
}

const std::vector<Data>& samples() {
  static const std::vector<Data> all = {textData("a"), textData(std::string(100000, 'x')),
                                        textData("{\"heartbeats\":[],\"version\":2}"), randomData(5000)};
  return all;
}

TEST_F(GzipDataTest, WhatWeCompressTheGzipToolInflates) {
  for (const auto& original : samples()) {
    auto compressed = gzip::dataByGzippingData(original);
    ASSERT_TRUE(compressed.has_value());
    ASSERT_GE(compressed->size(), 2u);
    EXPECT_EQ((*compressed)[0], 0x1f);
    EXPECT_EQ((*compressed)[1], 0x8b);
    writeFile("ours.gz", *compressed);
    run("gzip -dc ours.gz > ours.out");
    EXPECT_EQ(readFile("ours.out"), original);
  }
}

TEST_F(GzipDataTest, WhatTheGzipToolCompressesWeInflate) {
  for (const auto& original : samples()) {
    writeFile("theirs", original);
    run("gzip -9 -c theirs > theirs.gz");
    auto inflated = gzip::dataByInflatingGzippedData(readFile("theirs.gz"));
    ASSERT_TRUE(inflated.has_value()) << inflated.error()->localizedDescription();
    EXPECT_EQ(*inflated, original);
  }
}

TEST_F(GzipDataTest, InflatesAZlibWrappedStream) {
  const Data original = textData(std::string(5000, 'z') + "end");
  uLongf length = compressBound(original.size());
  Data wrapped(length);
  ASSERT_EQ(compress2(wrapped.data(), &length, original.data(), original.size(), Z_BEST_COMPRESSION), Z_OK);
  wrapped.resize(length);
  auto inflated = gzip::dataByInflatingGzippedData(wrapped);
  ASSERT_TRUE(inflated.has_value());
  EXPECT_EQ(*inflated, original);
}

TEST_F(GzipDataTest, TrailingBytesGiveTheRemainingBytesErrorWithTheirCount) {
  auto compressed = gzip::dataByGzippingData(textData("payload"));
  ASSERT_TRUE(compressed.has_value());
  compressed->insert(compressed->end(), {'j', 'u', 'n', 'k', '!'});
  auto inflated = gzip::dataByInflatingGzippedData(*compressed);
  ASSERT_FALSE(inflated.has_value());
  const auto* error = platform::errorAs<platform::DomainError>(inflated.error());
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->domain(), "com.google.GULNSDataZlibErrorDomain");
  EXPECT_EQ(error->code(), 1026);
  EXPECT_EQ(error->userInfo().at("GULNSDataZlibRemainingBytesKey"), "5");
}

TEST_F(GzipDataTest, GarbageAndTruncatedStreamsGiveTheZlibError) {
  auto compressed = gzip::dataByGzippingData(textData(std::string(3000, 'q')));
  ASSERT_TRUE(compressed.has_value());
  const Data truncated(compressed->begin(), compressed->begin() + compressed->size() / 2);
  for (const Data& bad : {randomData(777), textData("this is not compressed"), truncated}) {
    auto inflated = gzip::dataByInflatingGzippedData(bad);
    ASSERT_FALSE(inflated.has_value());
    const auto* error = platform::errorAs<platform::DomainError>(inflated.error());
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->code(), 1025);
    EXPECT_TRUE(error->userInfo().contains("GULNSDataZlibErrorKey"));
  }
}

TEST_F(GzipDataTest, EmptyInputGivesNothingAndNoError) {
  auto compressed = gzip::dataByGzippingData(Data{});
  ASSERT_TRUE(compressed.has_value());
  EXPECT_TRUE(compressed->empty());
  auto inflated = gzip::dataByInflatingGzippedData(Data{});
  ASSERT_TRUE(inflated.has_value());
  EXPECT_TRUE(inflated->empty());
}

TEST_F(GzipDataTest, InputBeyondFourGigabytesGivesTheSizeErrorBothWays) {
  // Reserved address space only: the checks refuse before reading a byte.
  const std::size_t size = std::size_t{gzip::kMaximumLength} + 1;
  void* memory = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  ASSERT_NE(memory, MAP_FAILED);
  const std::span<const std::uint8_t> huge(static_cast<const std::uint8_t*>(memory), size);
  auto compressed = gzip::dataByGzippingData(huge);
  auto inflated = gzip::dataByInflatingGzippedData(huge);
  ::munmap(memory, size);
  ASSERT_FALSE(compressed.has_value());
  ASSERT_FALSE(inflated.has_value());
  EXPECT_EQ(compressed.error()->code(), 1024);
  EXPECT_EQ(inflated.error()->code(), 1024);
}

}  // namespace
}  // namespace firebase
