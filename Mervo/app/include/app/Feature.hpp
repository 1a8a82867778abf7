#pragma once

#include <array>
#include <chrono>
#include <string>
#include <string_view>
#include <utility>

#include "settings/RawValueEnum.hpp"

namespace mervo {

// The raw values are also the names the categories are shown by.
enum class FeatureCategory { core, ai, productivity, integration, advanced };

template <>
struct RawValueCases<FeatureCategory> {
  static constexpr std::array cases{
      std::pair{FeatureCategory::core, std::string_view("Core Features")},
      std::pair{FeatureCategory::ai, std::string_view("AI Features")},
      std::pair{FeatureCategory::productivity, std::string_view("Productivity")},
      std::pair{FeatureCategory::integration, std::string_view("Integrations")},
      std::pair{FeatureCategory::advanced, std::string_view("Advanced")},
  };
};

// One entry of the feature catalogue.
struct Feature {
  std::string id;  // stable kebab-case key, the entry's identity in lists
  std::string name;
  std::string description;
  std::string icon;  // a system symbol name
  FeatureCategory category = FeatureCategory::core;
  std::chrono::system_clock::time_point releaseDate;
  bool isCurrentlyAvailable = true;

  bool operator==(const Feature&) const = default;
};

}  // namespace mervo
