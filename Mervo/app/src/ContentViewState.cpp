#include "app/ContentViewState.hpp"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "foundation/Pasteboard.hpp"
#include "foundation/Text.hpp"

namespace mervo {

ContentViewState::ContentViewState(UserSettings& userSettings)
    : promptInForce(userSettings), userSettings_(userSettings) {}

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
  auto imported = userSettings_.importSettings(*importText);
  importSuccess = imported.has_value();
  if (!imported) return showImportResult("Import Failed", imported.error().localizedDescription());
  showingImportSheet = false;
  if (imported->skipped.empty()) return;
  showImportResult("Settings Imported",
                   fmt::format("Not imported, as their values are not valid: {}. The other settings were applied.",
                               fmt::join(imported->skipped, ", ")));
}

void ContentViewState::refuseOversizedImportText() {
  showImportResult("Import Failed",
                   SettingsImportError{SettingsImportError::Case::tooLarge, {}, {}}.localizedDescription());
}

void ContentViewState::showImportResult(std::string title, std::string message) {
  importResultTitle = std::move(title);
  importResultMessage = std::move(message);
  showingImportResultAlert = true;
}

}  // namespace mervo
