// The deployment-value lookup both programs use, and the texts they share.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "foundation/Text.hpp"
#include "shared_settings/DeploymentValues.hpp"
#include "shared_settings/SystemPromptTexts.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"

namespace deployment = quorbel::deployment;
namespace texts = quorbel::prompt_texts;

namespace {

std::filesystem::path dotEnvPath() { return test_support::IsolatedEnvironment::bundlePath() / "Resources" / ".env"; }

void writeFile(const std::filesystem::path& file, const std::string& contents) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << contents;
}

// How the ".env" changes between two lookups of K.
struct ChangeCase {
  const char* name;
  std::string before;
  void (*change)();
  std::optional<std::string> after;
};

void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }

class DotEnvChange : public ::testing::TestWithParam<ChangeCase> {
 protected:
  void SetUp() override { std::filesystem::remove(dotEnvPath()); }
  void TearDown() override { std::filesystem::remove(dotEnvPath()); }
};

TEST_P(DotEnvChange, IsSeenByTheNextLookup) {
  const auto& c = GetParam();
  writeFile(dotEnvPath(), c.before);
  ASSERT_EQ(deployment::dotEnvResourceValue("K"), "one");
  ASSERT_EQ(deployment::dotEnvResourceValue("K"), "one");  // from what was read
  c.change();
  EXPECT_EQ(deployment::dotEnvResourceValue("K"), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, DotEnvChange,
    ::testing::Values(
        ChangeCase{"RewrittenInPlaceWithTheSameSize", "K=one\n", [] { writeFile(dotEnvPath(), "K=two\n"); }, "two"},
        ChangeCase{"ReplacedByRename", "K=one\n",
                   [] {
                     writeFile(dotEnvPath().string() + ".new", "K=three\n");
                     std::filesystem::rename(dotEnvPath().string() + ".new", dotEnvPath());
                   },
                   "three"},
        ChangeCase{"Removed", "K=one\n", [] { std::filesystem::remove(dotEnvPath()); }, std::nullopt},
        ChangeCase{"GrownPastTheLimit", "K=one\n",
                   [] { writeFile(dotEnvPath(), "K=one\n" + std::string(deployment::kMaximumDotEnvBytes, '#')); },
                   std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// A ".env" is read whole, so one beyond the limit is not read at all: every
// lookup takes its default, as for an unreadable file.
TEST(DotEnvLimit, AFileUpToTheLimitIsReadAndALargerOneIsNot) {
  const std::string line = "K=abc\n";
  for (auto [size, expected] : {std::pair{deployment::kMaximumDotEnvBytes, "abc"},
                                std::pair{deployment::kMaximumDotEnvBytes + 1, "fallback"}}) {
    writeFile(dotEnvPath(), line + std::string(size - line.size(), '\n'));
    EXPECT_EQ(deployment::value("K", "fallback"), expected) << size << " bytes";
  }
  std::filesystem::remove(dotEnvPath());
}

}  // namespace

TEST(PromptTexts, HaveTheirExactLengthsAndEnds) {
  auto count = [](std::string_view s) { return platform::text::characterCount(s); };
  EXPECT_EQ(count(texts::defaultSystemPrompt), 399u);
  EXPECT_EQ(count(texts::toneHeader), 21u);
  EXPECT_EQ(count(texts::lengthHeader), 19u);
  EXPECT_EQ(count(texts::contextSection), 159u);
  for (auto [tone, length] : std::vector<std::pair<const char*, std::size_t>>{
           {"professional", 100}, {"friendly", 89}, {"casual", 72}, {"formal", 83}})
    EXPECT_EQ(count(texts::toneText(tone)), length) << tone;
  for (auto [name, length] :
       std::vector<std::pair<const char*, std::size_t>>{{"short", 77}, {"medium", 83}, {"long", 87}})
    EXPECT_EQ(count(texts::lengthText(name)), length) << name;
  EXPECT_EQ(texts::toneText("Friendly"), "");
  EXPECT_TRUE(texts::contextSection.starts_with("\n\nContext Analysis:\n"));
  EXPECT_TRUE(texts::defaultSystemPrompt.starts_with("You are Mervo, an AI email assistant"));
  EXPECT_TRUE(texts::defaultSystemPrompt.ends_with("- Suggest improvements when appropriate"));
}

