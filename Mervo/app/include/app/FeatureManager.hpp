#pragma once

#include <chrono>
#include <vector>

#include "app/Feature.hpp"
#include "observable/Published.hpp"

namespace mervo {

// The product's fixed catalogue of features, built in memory once.
class FeatureManager {
 public:
  static FeatureManager& shared();

  // Builds the catalogue at once: the first reader sees it whole.
  FeatureManager();
  FeatureManager(const FeatureManager&) = delete;
  FeatureManager& operator=(const FeatureManager&) = delete;

  platform::Published<std::vector<Feature>> allFeatures{std::vector<Feature>()};

  // Assigns the four entries in one assignment.
  void buildFeatureCatalogue();
};

// Midnight at the start of that day in the local time zone; the fallback
// when the calendar has no such date.
std::chrono::system_clock::time_point makeReleaseDate(int year, int month, int day,
                                                      std::chrono::system_clock::time_point fallback);

}  // namespace mervo
