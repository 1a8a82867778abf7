#include "app/FeatureManager.hpp"

#include <ctime>

namespace mervo {

FeatureManager& FeatureManager::shared() {
  static FeatureManager manager;
  return manager;
}

FeatureManager::FeatureManager() { buildFeatureCatalogue(); }

void FeatureManager::buildFeatureCatalogue() {
  const auto now = std::chrono::system_clock::now();
  const auto released = makeReleaseDate(2024, 1, 1, now);
  allFeatures = std::vector<Feature>{
      {"mail-extension", "Mail Extension", "AI-powered email composition and assistance directly in Apple Mail",
       "envelope.fill", FeatureCategory::core, released, true},
      {"smart-drafting", "Smart Drafting", "Intelligent email drafting with context-aware suggestions", "wand.and.stars",
       FeatureCategory::ai, released, true},
      {"ai-prompts", "AI Prompts", "Customizable AI prompts for different email scenarios", "brain.head.profile",
       FeatureCategory::ai, released, true},
      {"llm-configuration", "LLM Configuration", "Configure and switch between different AI models and providers", "cpu",
       FeatureCategory::ai, released, true},
  };
}

std::chrono::system_clock::time_point makeReleaseDate(int year, int month, int day,
                                                      std::chrono::system_clock::time_point fallback) {
  std::tm components{};
  components.tm_year = year - 1900;
  components.tm_mon = month - 1;
  components.tm_mday = day;
  components.tm_isdst = -1;  // the time zone knows whether summer time applies
  tzset();
  const std::time_t seconds = std::mktime(&components);
  if (seconds == static_cast<std::time_t>(-1)) return fallback;
  return std::chrono::system_clock::from_time_t(seconds);
}

}  // namespace mervo
