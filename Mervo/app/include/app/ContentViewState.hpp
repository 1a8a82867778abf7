#pragma once

#include <string>

#include "app/MainTab.hpp"
#include "app/PromptInForce.hpp"
#include "observable/Published.hpp"
#include "settings/UserSettings.hpp"

namespace mervo {

// What the main window keeps for itself: the selected tab and the state of
// the settings export and import sheets with their alerts. The settings
// themselves live in UserSettings. Main thread only.
class ContentViewState {
 public:
  explicit ContentViewState(UserSettings& userSettings);
  ContentViewState(const ContentViewState&) = delete;
  ContentViewState& operator=(const ContentViewState&) = delete;

  platform::Published<MainTab> selectedTab{MainTab::home};
  // For the AI Prompt tab, which is built anew each time it is shown.
  PromptInForce promptInForce;
  platform::Published<bool> showingExportSheet{false};
  platform::Published<bool> showingImportSheet{false};
  platform::Published<std::string> exportedSettings{std::string()};
  platform::Published<std::string> importText{std::string()};
  platform::Published<bool> showingImportAlert{false};
  platform::Published<bool> importSuccess{false};
  // After a confirmed import that failed, or that passed over some of its
  // members: what came of it.
  platform::Published<bool> showingImportResultAlert{false};
  std::string importResultTitle;
  std::string importResultMessage;

  // A tab button: choosing the tab already shown changes nothing.
  void selectTab(MainTab tab);

  // File ▸ "Export Settings…": the current settings as text, in the sheet.
  void exportSettings();
  // Export sheet: "Copy to Clipboard" and "Done".
  void copyExportedSettings() const;
  void dismissExportSheet();

  // File ▸ "Import Settings…".
  void openImportSheet();
  // Import sheet: "Import Settings" is enabled while the text is not blank
  // and asks for confirmation; "Cancel" closes the sheet and empties it.
  bool canImport() const;
  void requestImport();
  void cancelImportSheet();
  // The confirmation's "Import": applies the text. Success closes the sheet,
  // naming the members passed over for their values, if any; an import that
  // changed nothing (no settings export, nothing usable in it, settings the
  // shared suite did not take) says why and keeps the sheet for another try.
  void confirmImport();
  // A paste into the sheet that would take its text past what an import
  // reads: refused before it is shown, for the reason an import would give.
  void refuseOversizedImportText();

 private:
  void showImportResult(std::string title, std::string message);

  UserSettings& userSettings_;
};

}  // namespace mervo
