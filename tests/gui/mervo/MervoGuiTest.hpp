#pragma once

#include <QUrl>

#include <memory>
#include <vector>

#include "GuiTest.hpp"
#include "SettingsTestSupport.hpp"
#include "app/FeatureManager.hpp"
#include "app_views/AppEnvironment.hpp"
#include "coredata/PersistentContainer.hpp"
#include "foundation/Pasteboard.hpp"
#include "qtbridge/QtMainQueue.hpp"
#include "settings/UserSettings.hpp"
#include "test_support/TestEnvironment.hpp"
#include "ui/Workspace.hpp"

namespace mervo_gui_test {

// Every test starts with empty settings stores, its own settings objects and
// store, an empty pasteboard, and a recorder in place of the browser.
class MervoGuiTest : public settings_test::SettingsTest {
 protected:
  static void SetUpTestSuite() {
    platform::qtbridge::installMainQueueDriver();
  }

  void SetUp() override {
    SettingsTest::SetUp();
    std::filesystem::remove_all(coredata::PersistentContainer::defaultDirectoryURL());
    userSettings = std::make_unique<mervo::UserSettings>();
    featureManager = std::make_unique<mervo::FeatureManager>();
    llmConfig = std::make_unique<mervo::LLMProviderConfig>();
    llmService = std::make_unique<mervo::LLMAPIService>(mervo::EnvironmentConfig::shared(), *llmConfig);
    store = std::make_unique<coredata::PersistentContainer>("quorbel", coredata::ManagedObjectModel::parse(kItemModel));
    store->loadPersistentStores([](const auto&, const platform::ErrorPtr& error) { ASSERT_EQ(error, nullptr); });
    platform::Pasteboard::general().setBackend({});
    platform::Pasteboard::general().clearContents();
    openedURLs.clear();
    ui::Workspace::shared().setOpener([this](const QUrl& url) {
      openedURLs.push_back(url);
      return true;
    });
  }

  void TearDown() override {
    ui::Workspace::shared().setOpener({});
    store.reset();
    std::filesystem::remove_all(coredata::PersistentContainer::defaultDirectoryURL());
    SettingsTest::TearDown();
  }

  mervo::views::AppEnvironment environment() {
    return {store->viewContext(), *userSettings, *featureManager, *llmConfig, *llmService};
  }

  static constexpr const char* kItemModel =
      "<plist version=\"1.0\"><dict><key>entities</key><array><dict><key>name</key><string>Item</string>"
      "<key>attributes</key><array><dict><key>name</key><string>timestamp</string><key>type</key><string>date</string>"
      "</dict></array></dict></array></dict></plist>";

  std::unique_ptr<mervo::UserSettings> userSettings;
  std::unique_ptr<mervo::FeatureManager> featureManager;
  std::unique_ptr<mervo::LLMProviderConfig> llmConfig;
  std::unique_ptr<mervo::LLMAPIService> llmService;
  std::unique_ptr<coredata::PersistentContainer> store;
  std::vector<QUrl> openedURLs;
};

}  // namespace mervo_gui_test
