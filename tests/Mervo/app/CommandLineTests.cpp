#include <gtest/gtest.h>

#include "app/CommandLine.hpp"

namespace {

using mervo::MainTab;
using mervo::parseMervoCommandLine;

TEST(MervoCommandLine, NoArgumentsOpenTheWindow) {
  auto command = parseMervoCommandLine({});
  ASSERT_TRUE(command);
  EXPECT_FALSE(command->screenshot);
  EXPECT_EQ(command->tab, MainTab::home);
  EXPECT_FALSE(command->provider);
}

TEST(MervoCommandLine, AScreenshotOfATab) {
  auto command =
      parseMervoCommandLine({"--screenshot", "a.png", "--tab", "models", "--provider", "openai", "--size", "800x1400"});
  ASSERT_TRUE(command);
  EXPECT_EQ(command->size, std::pair(800, 1400));
  EXPECT_EQ(command->screenshot, "a.png");
  EXPECT_EQ(command->tab, MainTab::apiConfig);
  EXPECT_EQ(command->provider, mervo::LLMProvider::openai);
}

struct Refused {
  const char* name;
  std::vector<std::string> arguments;
};

// Named in test listings by its case name, not by its bytes.
void PrintTo(const Refused& c, std::ostream* os) { *os << c.name; }

class RefusedCommandLine : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedCommandLine, SaysWhy) {
  auto command = parseMervoCommandLine(GetParam().arguments);
  ASSERT_FALSE(command);
  EXPECT_FALSE(command.error().empty());
}

INSTANTIATE_TEST_SUITE_P(
    MervoCommandLine, RefusedCommandLine,
    ::testing::Values(Refused{"UnknownOption", {"--verbose"}}, Refused{"MissingValue", {"--screenshot"}},
                      Refused{"UnknownTab", {"--screenshot", "a.png", "--tab", "settings"}},
                      Refused{"TabWithoutScreenshot", {"--tab", "home"}},
                      Refused{"UnknownProvider", {"--screenshot", "a.png", "--tab", "models", "--provider", "Gemini"}},
                      Refused{"ProviderOnAnotherTab", {"--screenshot", "a.png", "--provider", "ollama"}},
                      Refused{"SizeBelowTheMinimum", {"--screenshot", "a.png", "--size", "640x480"}},
                      Refused{"SizeNotWidthByHeight", {"--screenshot", "a.png", "--size", "800x600px"}},
                      Refused{"SizeWithoutScreenshot", {"--size", "800x600"}}),
    [](const ::testing::TestParamInfo<Refused>& info) { return std::string(info.param.name); });

}  // namespace
