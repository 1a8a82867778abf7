#include "app/ContentViewState.hpp"

#include "foundation/Pasteboard.hpp"
#include "foundation/Text.hpp"

namespace mervo {

ContentViewState::ContentViewState(UserSettings& userSettings) : userSettings_(userSettings) {}

void ContentViewState::selectTab(MainTab tab) {
  if (*selectedTab != tab) selectedTab = tab;
}

void ContentViewState::exportSettings() {
  exportedSettings = userSettings_.exportSettings().value_or("");
  showingExportSheet = true;
}

void ContentViewState::copyExportedSettings() const { platform::Pasteboard::general().setString(*exportedSettings); }

void ContentViewState::dismissExportSheet() { showingExportSheet = false; }

void ContentViewState::openImportSheet() { showingImportSheet = true; }

bool ContentViewState::canImport() const { return !platform::text::isBlank(*importText); }

void ContentViewState::requestImport() {
  if (canImport()) showingImportAlert = true;
}

void ContentViewState::cancelImportSheet() {
  showingImportSheet = false;
  importText = std::string();
}

void ContentViewState::confirmImport() {
  showingImportAlert = false;
  importSuccess = userSettings_.importSettings(*importText);
  if (*importSuccess) showingImportSheet = false;
  else showingImportFailedAlert = true;
}

}  // namespace mervo
