#include "app_views/ProviderSettingsFields.hpp"

#include <QLabel>
#include <QLocale>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>

#include "app_views/Stacks.hpp"
#include "ui/DisclosureGroup.hpp"
#include "ui/LabeledSlider.hpp"
#include "ui/Palette.hpp"
#include "ui/PopUpPicker.hpp"
#include "ui/RoundedCard.hpp"
#include "ui/StepSlider.hpp"
#include "ui/Text.hpp"
#include "ui/TextField.hpp"
#include "ui/Typography.hpp"

namespace mervo::views {
namespace {

QString qt(const std::string& text) { return QString::fromStdString(text); }

// A labelled field: the label in subheadline medium over its control.
QWidget* fieldBlock(const QString& label, QWidget* control, QWidget* parent) {
  auto* block = new QWidget(parent);
  auto* column = verticalStack(block, 4);
  column->addWidget(ui::makeText(label, ui::font(ui::TextStyle::subheadline, ui::FontWeight::medium), ui::color::label(), block));
  control->setParent(block);
  column->addWidget(control);
  return block;
}

// The whole seconds, truncated. Written from the truncated double, not an
// integer: a stored 1e308 or nan has no integer, and converting it would show
// garbage. Adding 0 turns the -0 of a small negative into 0.
QString timeoutText(double seconds) {
  return "Timeout (seconds): " + QString::number(std::trunc(seconds) + 0.0, 'g', QLocale::FloatingPointShortest);
}

QString maxTokensText(std::int64_t tokens) { return "Max Tokens: " + QString::number(tokens); }

// A slider bound to a number both ways: the user's moves write it, and a
// value shown from the configuration is never written back (the slider would
// round it to its steps).
template <typename T, typename Text>
ui::LabeledSlider* boundSlider(ui::Bindings& bindings, platform::Published<T>& value, double minimum, double maximum,
                               double step, Text text, QWidget* parent) {
  auto* slider = new ui::StepSlider(minimum, maximum, step);
  slider->setTint(ui::color::blue());
  auto* labeled = new ui::LabeledSlider(slider, [&value, text](double) { return text(value.get()); }, parent);
  bindings.observe<T>(value, [slider, labeled, text](const T& current) {
    const QSignalBlocker quiet(slider);
    slider->setValue(static_cast<double>(current));
    labeled->valueLabel()->setText(text(current));
  });
  QObject::connect(slider, &ui::StepSlider::valueChanged, labeled, [&value](double moved) {
    const T written = static_cast<T>(std::trunc(moved));
    if (value.get() != written) value = written;
  });
  return labeled;
}

}  // namespace

ProviderSettingsFields::ProviderSettingsFields(LLMProviderConfig& llmConfig, QWidget* parent) : QWidget(parent) {
  const auto provider = *llmConfig.currentProvider;
  auto* column = verticalStack(this, 12);
  if (provider == LLMProvider::openai || provider == LLMProvider::custom) {
    apiKey_ = textField("Enter your API key", llmConfig.apiKey);
    apiKey_->setSecure(true);
    column->addWidget(fieldBlock("API Key", apiKey_, this));
  }
  endpoint_ = textField("API endpoint URL", llmConfig.endpoint);
  column->addWidget(fieldBlock("Endpoint URL", endpoint_, this));
  column->addWidget(fieldBlock("Model", modelControl(llmConfig), this));
  column->addWidget(advancedControls(llmConfig));
}

ui::TextField* ProviderSettingsFields::textField(const QString& placeholder, platform::Published<std::string>& value) {
  auto* field = new ui::TextField(placeholder, ui::FieldStyle::custom());
  bindings_.text(field, value);
  return field;
}

QWidget* ProviderSettingsFields::modelControl(LLMProviderConfig& llmConfig) {
  const auto& models = availableModels(*llmConfig.currentProvider);
  if (models.empty()) {
    customModel_ = textField("Custom model name", llmConfig.customModelName);
    return customModel_;
  }
  // The fill lies right behind the picker, as wide as it is.
  auto* box = new ui::RoundedCard({ui::color::tertiarySystemFill(), ui::color::clear(), 0, 8, {}});
  box->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  modelPicker_ = new ui::PopUpPicker(box);
  modelPicker_->setAccessibleName("Model");
  for (const auto& model : models) modelPicker_->addItem(qt(model), qt(model));
  box->contentLayout()->addWidget(modelPicker_, 0, Qt::AlignLeft);
  bindings_.observe<std::string>(llmConfig.selectedModel,
                                 [this](const std::string& model) { modelPicker_->setCurrentTag(qt(model)); });
  connect(modelPicker_, &QComboBox::activated, this, [this, &llmConfig](int index) {
    const auto model = modelPicker_->itemData(index).toString().toStdString();
    if (llmConfig.selectedModel.get() != model) llmConfig.selectedModel = model;
  });
  return box;
}

QWidget* ProviderSettingsFields::advancedControls(LLMProviderConfig& llmConfig) {
  auto* box = new ui::RoundedCard({ui::color::secondarySystemFill(), ui::color::clear(), 0, 8, QMargins(12, 12, 12, 12)}, this);
  advanced_ = new ui::DisclosureGroup("Advanced Settings", box);
  advanced_->setTitleColor(ui::color::label());
  box->contentLayout()->addWidget(advanced_);
  auto* content = advanced_->contentLayout();
  content->setSpacing(12);
  content->setContentsMargins(content->contentsMargins().left(), 8, 0, 0);
  timeout_ = boundSlider(bindings_, llmConfig.timeout, 10, 120, 5, timeoutText, advanced_->content());
  maxTokens_ = boundSlider(bindings_, llmConfig.maxTokens, 256, 8192, 256, maxTokensText, advanced_->content());
  content->addWidget(timeout_);
  content->addWidget(maxTokens_);
  return box;
}

}  // namespace mervo::views
