#pragma once

#include <QPointer>
#include <QWidget>

#include <map>
#include <string>
#include <vector>

#include "app/LLMConfigurationManager.hpp"
#include "settings/LLMAPIService.hpp"
#include "settings/LLMProviderConfig.hpp"
#include "ui/AlertDialog.hpp"
#include "ui/Bindings.hpp"

class QVBoxLayout;

namespace ui {
class StyledButton;
}

namespace mervo::views {

class ProviderCard;
class ProviderSettingsFields;
class StatusRow;

// The AI Models screen: the four providers as cards, the current external
// provider's fields, the status of the configuration, the last connection
// test and the built-in service, and the Test Connection and Save actions.
// The settings live in the provider configuration; the screen keeps only
// what it presents. A test's answer that comes after the screen is gone is
// dropped.
class LLMConfigurationView : public QWidget {
  Q_OBJECT

 public:
  LLMConfigurationView(LLMProviderConfig& llmConfig, LLMAPIService& service, QWidget* parent = nullptr);

  // What a tap on the provider's card does (also on the card already chosen).
  void selectProvider(LLMProvider provider);
  void testConnection();
  void save();

  LLMConfigurationManager& configManager() { return configManager_; }
  ProviderCard* providerCard(LLMProvider provider) const { return cards_.at(provider); }
  // Null while the provider is the built-in one.
  ProviderSettingsFields* providerFields() const { return fields_; }
  QWidget* configurationSection() const { return configurationSection_; }
  StatusRow* configurationRow() const { return configurationRow_; }
  StatusRow* connectionRow() const { return connectionRow_; }
  StatusRow* builtInServiceRow() const { return builtInRow_; }
  ui::StyledButton* testButton() const { return testButton_; }
  ui::StyledButton* saveButton() const { return saveButton_; }
  ui::StyledButton* savedButton() const { return savedButton_; }
  bool isTestingConnection() const { return isTestingConnection_.get(); }
  // The alerts while they are up.
  ui::AlertDialog* testAlert() const { return testAlert_; }
  ui::AlertDialog* configurationIssuesAlert() const { return issuesAlert_; }
  ui::AlertDialog* saveFailedAlert() const { return saveFailedAlert_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* makeHeader();
  QWidget* makeProviderSection();
  QWidget* makeConfigurationSection();
  QWidget* makeStatusSection();
  QLayout* makeActionRow();
  void showProviderFields();
  // Once it is closed, `returningFocusTo` (when given) has the focus again.
  void presentAlert(QPointer<ui::AlertDialog>& slot, const QString& title, const QString& message,
                    QWidget* returningFocusTo = nullptr);
  // Gives the focus to the nearest control before `widget` in the order of
  // Tab that can take it.
  void focusControlBefore(QWidget* widget);

  LLMProviderConfig& llmConfig_;
  LLMAPIService& service_;
  LLMConfigurationManager configManager_;
  platform::Published<bool> isTestingConnection_{false};
  std::map<LLMProvider, ProviderCard*> cards_;
  QWidget* configurationSection_ = nullptr;
  QVBoxLayout* configurationFields_ = nullptr;
  ProviderSettingsFields* fields_ = nullptr;
  StatusRow* configurationRow_ = nullptr;
  StatusRow* connectionRow_ = nullptr;
  StatusRow* builtInRow_ = nullptr;
  ui::StyledButton* testButton_ = nullptr;
  ui::StyledButton* saveButton_ = nullptr;
  ui::StyledButton* savedButton_ = nullptr;
  QPointer<ui::AlertDialog> testAlert_;
  QPointer<ui::AlertDialog> issuesAlert_;
  QPointer<ui::AlertDialog> saveFailedAlert_;
  ui::Bindings bindings_;
};

}  // namespace mervo::views
