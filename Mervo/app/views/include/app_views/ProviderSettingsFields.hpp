#pragma once

#include <QWidget>

#include "settings/LLMProviderConfig.hpp"
#include "ui/Bindings.hpp"

namespace ui {
class DisclosureGroup;
class LabeledSlider;
class PopUpPicker;
class TextField;
}  // namespace ui

namespace mervo::views {

// The fields of an external provider, made for the provider current when
// they are made: its key (OpenAI and custom endpoints), endpoint, model (a
// picker of the provider's models, or a name for a custom endpoint) and,
// folded away, its timeout and token limit. Every edit goes through the
// configuration's own fields, so its change tracking sees it; showing a
// value never writes one back.
class ProviderSettingsFields : public QWidget {
  Q_OBJECT

 public:
  explicit ProviderSettingsFields(LLMProviderConfig& llmConfig, QWidget* parent = nullptr);

  // Null where the provider has no such field.
  ui::TextField* apiKeyField() const { return apiKey_; }
  ui::TextField* endpointField() const { return endpoint_; }
  ui::PopUpPicker* modelPicker() const { return modelPicker_; }
  ui::TextField* customModelField() const { return customModel_; }
  ui::DisclosureGroup* advancedSettings() const { return advanced_; }
  ui::LabeledSlider* timeoutSlider() const { return timeout_; }
  ui::LabeledSlider* maxTokensSlider() const { return maxTokens_; }

 private:
  ui::TextField* textField(const QString& placeholder, platform::Published<std::string>& value);
  QWidget* modelControl(LLMProviderConfig& llmConfig);
  QWidget* advancedControls(LLMProviderConfig& llmConfig);

  ui::TextField* apiKey_ = nullptr;
  ui::TextField* endpoint_ = nullptr;
  ui::PopUpPicker* modelPicker_ = nullptr;
  ui::TextField* customModel_ = nullptr;
  ui::DisclosureGroup* advanced_ = nullptr;
  ui::LabeledSlider* timeout_ = nullptr;
  ui::LabeledSlider* maxTokens_ = nullptr;
  ui::Bindings bindings_;
};

}  // namespace mervo::views
