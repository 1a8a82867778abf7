#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <set>

#include "app/FeatureManager.hpp"
#include "app/MainTab.hpp"
#include "test_support/TempDir.hpp"

namespace {

using mervo::Feature;
using mervo::FeatureCategory;
using mervo::FeatureManager;
using mervo::MainTab;

TEST(FeatureCatalogue, HoldsTheFourFeaturesInOrder) {
  FeatureManager manager;
  const auto& features = manager.allFeatures.get();
  struct Expected {
    const char* id;
    const char* name;
    const char* description;
    const char* icon;
    FeatureCategory category;
  } expected[] = {
      {"mail-extension", "Mail Extension", "AI-powered email composition and assistance directly in Apple Mail",
       "envelope.fill", FeatureCategory::core},
      {"smart-drafting", "Smart Drafting", "Intelligent email drafting with context-aware suggestions", "wand.and.stars",
       FeatureCategory::ai},
      {"ai-prompts", "AI Prompts", "Customizable AI prompts for different email scenarios", "brain.head.profile",
       FeatureCategory::ai},
      {"llm-configuration", "LLM Configuration", "Configure and switch between different AI models and providers", "cpu",
       FeatureCategory::ai},
  };
  ASSERT_EQ(features.size(), std::size(expected));
  std::set<std::string> ids;
  for (std::size_t i = 0; i < features.size(); ++i) {
    SCOPED_TRACE(expected[i].id);
    EXPECT_EQ(features[i].id, expected[i].id);
    EXPECT_EQ(features[i].name, expected[i].name);
    EXPECT_EQ(features[i].description, expected[i].description);
    EXPECT_EQ(features[i].icon, expected[i].icon);
    EXPECT_EQ(features[i].category, expected[i].category);
    EXPECT_TRUE(features[i].isCurrentlyAvailable);
    EXPECT_EQ(features[i].releaseDate, features[0].releaseDate);
    ids.insert(features[i].id);
  }
  EXPECT_EQ(ids.size(), features.size());
  EXPECT_EQ(&FeatureManager::shared(), &FeatureManager::shared());
  EXPECT_EQ(FeatureManager::shared().allFeatures.get(), features);
}

TEST(FeatureCatalogue, IsAssignedInOneGo) {
  FeatureManager manager;
  int assignments = 0;
  auto subscription = manager.allFeatures.onChange([&](const std::vector<Feature>& features) {
    ++assignments;
    EXPECT_EQ(features.size(), 4u);
  });
  manager.buildFeatureCatalogue();
  EXPECT_EQ(assignments, 1);
}

// Sets the process's time zone for the object's life.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) : env_("TZ", zone) { tzset(); }
  ~ScopedTimeZone() { tzset(); }

 private:
  test_support::ScopedEnv env_;
};

std::time_t unixSeconds(std::chrono::system_clock::time_point when) { return std::chrono::system_clock::to_time_t(when); }

// 1 January 2024, 00:00 in the zone in force when the catalogue is built.
TEST(FeatureCatalogue, ReleaseDateIsNewYearsMidnightInTheUsersTimeZone) {
  constexpr std::time_t kNewYearUTC = 1704067200;
  struct Case {
    const char* zone;
    std::time_t expected;
  } cases[] = {{"UTC", kNewYearUTC}, {"Europe/Berlin", kNewYearUTC - 3600}, {"America/New_York", kNewYearUTC + 5 * 3600},
               {"Asia/Kolkata", kNewYearUTC - 5 * 3600 - 1800}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.zone);
    ScopedTimeZone zone(c.zone);
    FeatureManager manager;
    EXPECT_EQ(unixSeconds(manager.allFeatures->front().releaseDate), c.expected);
  }
}

TEST(FeatureCategory, RawValuesAreTheShownNames) {
  const auto all = mervo::allCases<FeatureCategory>();
  const std::vector<FeatureCategory> inOrder{FeatureCategory::core, FeatureCategory::ai, FeatureCategory::productivity,
                                             FeatureCategory::integration, FeatureCategory::advanced};
  EXPECT_EQ(std::vector(all.begin(), all.end()), inOrder);
  EXPECT_EQ(mervo::rawValue(FeatureCategory::integration), "Integrations");
  EXPECT_EQ(mervo::fromRawValue<FeatureCategory>("Integrations"), FeatureCategory::integration);
  EXPECT_EQ(mervo::fromRawValue<FeatureCategory>("integration"), std::nullopt);
  EXPECT_EQ(mervo::fromRawValue<FeatureCategory>("AI Features"), FeatureCategory::ai);
}

TEST(MainTab, TitlesSymbolsAndExactRawValues) {
  const auto all = mervo::allCases<MainTab>();
  ASSERT_EQ(all.size(), 4u);
  const std::pair<const char*, const char*> expected[] = {
      {"Home", "house.fill"}, {"Features", "square.grid.2x2.fill"}, {"AI Prompt", "brain.head.profile"}, {"AI Models", "cpu"}};
  for (std::size_t i = 0; i < all.size(); ++i) {
    EXPECT_EQ(mervo::rawValue(all[i]), expected[i].first);
    EXPECT_EQ(mervo::symbol(all[i]), expected[i].second);
  }
  EXPECT_EQ(mervo::fromRawValue<MainTab>("AI Models"), MainTab::apiConfig);
  EXPECT_EQ(mervo::fromRawValue<MainTab>("ai models"), std::nullopt);
  EXPECT_EQ(mervo::fromRawValue<MainTab>("apiConfig"), std::nullopt);
}

}  // namespace
