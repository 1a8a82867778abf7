#pragma once

#include "app/FeatureManager.hpp"
#include "coredata/ManagedObjectContext.hpp"
#include "settings/LLMAPIService.hpp"
#include "settings/LLMProviderConfig.hpp"
#include "settings/UserSettings.hpp"

namespace mervo::views {

// The shared objects the window and its tabs bind to: the application's
// own in the program, fresh ones in tests.
struct AppEnvironment {
  coredata::ManagedObjectContext& viewContext;
  UserSettings& userSettings;
  FeatureManager& featureManager;
  LLMProviderConfig& llmConfig;
  LLMAPIService& llmService;
};

}  // namespace mervo::views
