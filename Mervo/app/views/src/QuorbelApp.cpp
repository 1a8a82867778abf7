// The app core's headers name members "slots", which Qt's headers define
// away, so they come first.
#include "firebase_core/FIRApp.hpp"

#include "app_views/QuorbelApp.hpp"
#include "foundation/Console.hpp"
#include "settings/LLMAPIService.hpp"
#include "settings/LLMProviderConfig.hpp"

namespace mervo::views {

QuorbelApp::QuorbelApp()
    : persistenceController_(PersistenceController::shared()), updaterService_(std::make_unique<UpdaterService>()) {
  firebase::FIRApp::configure();
  platform::console::print("✅ Firebase configured in app init");
  auto& llmConfig = LLMProviderConfig::shared();
  llmConfig.applyLaunchProviderPolicy();
  userSettings_ = [] -> UserSettings& { return UserSettings::shared(); };
}

std::unique_ptr<MainWindow> QuorbelApp::makeWindow() {
  AppEnvironment environment{persistenceController_.container().viewContext(), userSettings_(), FeatureManager::shared(),
                             LLMProviderConfig::shared(), LLMAPIService::shared()};
  auto window = std::make_unique<MainWindow>(environment, updaterService_->updaterController.updater());
  updaterService_->updaterController.userDriver().setHostWindow(window.get());
  return window;
}

}  // namespace mervo::views
