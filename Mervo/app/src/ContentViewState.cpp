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
  const bool applied = userSettings_.importSettings(*importText);
  importSuccess = applied && userSettings_.settingsStored();
  if (*importSuccess) {
    showingImportSheet = false;
    return;
  }
  importFailure = applied ? "The settings could not be saved, so the compose assistant still uses the previous ones."
                          : "The text is not a settings export. Nothing was changed.";
  showingImportFailedAlert = true;
}

}  // namespace mervo
