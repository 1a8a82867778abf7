#include "app_views/LLMConfigurationView.hpp"

#include <QLabel>
#include <QVBoxLayout>

#include "app_views/ProviderCard.hpp"
#include "app_views/ProviderSettingsFields.hpp"
#include "app_views/Stacks.hpp"
#include "app_views/StatusRow.hpp"
#include "settings/SaveFailure.hpp"
#include "ui/Palette.hpp"
#include "ui/StyledButton.hpp"
#include "ui/SymbolLabel.hpp"
#include "ui/Text.hpp"
#include "ui/Typography.hpp"

namespace mervo::views {
namespace {

QString qt(const std::string& text) { return QString::fromStdString(text); }

// A section: its header (headline, primary) over its content.
QWidget* section(const QString& title, int spacing, QWidget* content, QWidget* parent) {
  auto* widget = new QWidget(parent);
  auto* column = verticalStack(widget, spacing);
  column->addWidget(ui::makeText(title, ui::font(ui::TextStyle::headline), ui::color::label(), widget));
  content->setParent(widget);
  column->addWidget(content);
  return widget;
}

}  // namespace

LLMConfigurationView::LLMConfigurationView(LLMProviderConfig& llmConfig, LLMAPIService& service, QWidget* parent)
    : QWidget(parent), llmConfig_(llmConfig), service_(service), configManager_(service, llmConfig) {
  auto* root = verticalStack(this, 24, 24);
  root->addWidget(makeHeader());
  root->addWidget(makeProviderSection());
  root->addWidget(makeConfigurationSection());
  root->addWidget(makeStatusSection());
  root->addLayout(makeActionRow());

  // Any change of provider, from a card or from elsewhere.
  bindings_.observe<LLMProvider>(llmConfig_.currentProvider, [this](LLMProvider) {
    showProviderFields();
    configManager_.refreshStatus();
  });
}

QWidget* LLMConfigurationView::makeHeader() {
  auto* header = new QWidget(this);
  auto* column = verticalStack(header, 8);
  auto* row = horizontalStack(8);
  row->addWidget(new ui::SymbolLabel(ui::SymbolIcon("brain.head.profile", 24, ui::color::blue()), header));
  row->addWidget(ui::makeText("LLM Configuration", ui::font(ui::TextStyle::title2, ui::FontWeight::semibold),
                              ui::color::label(), header));
  row->addStretch();
  column->addLayout(row);
  column->addWidget(wrappingText("Configure your AI language model preferences", ui::font(ui::TextStyle::subheadline),
                                 ui::color::secondaryLabel(), header));
  return header;
}

QWidget* LLMConfigurationView::makeProviderSection() {
  auto* cards = new QWidget;
  auto* column = verticalStack(cards, 8);
  for (LLMProvider provider : allCases<LLMProvider>()) {
    auto* card = new ProviderCard(provider, cards);
    connect(card, &ui::RoundedCard::clicked, this, [this, provider] { selectProvider(provider); });
    cards_[provider] = card;
    column->addWidget(card);
  }
  return section("AI Provider", 12, cards, this);
}

QWidget* LLMConfigurationView::makeConfigurationSection() {
  auto* fields = new QWidget;
  configurationFields_ = verticalStack(fields, 0);
  configurationSection_ = section("Configuration", 16, fields, this);
  return configurationSection_;
}

QWidget* LLMConfigurationView::makeStatusSection() {
  auto* rows = new QWidget;
  auto* column = verticalStack(rows, 8);
  configurationRow_ = new StatusRow("Configuration", "All required settings are provided", rows);
  connectionRow_ = new StatusRow("Connection", "Last connection test result", rows);
  builtInRow_ = new StatusRow("Built-in Service", "Internal AI service availability", rows);
  for (auto* row : {configurationRow_, connectionRow_, builtInRow_}) column->addWidget(row);
  bindings_.observe<bool>(configManager_.isConfigurationValid, [this](bool valid) { configurationRow_->setState(valid); });
  bindings_.observe<std::optional<bool>>(configManager_.lastTestSuccessful,
                                         [this](const std::optional<bool>& outcome) { connectionRow_->setState(outcome); });
  bindings_.observe<bool>(configManager_.isBuiltinServiceAvailable,
                          [this](bool available) { builtInRow_->setState(available); });
  bindings_.observe<LLMProvider>(llmConfig_.currentProvider,
                                 [this](LLMProvider provider) { builtInRow_->setVisible(provider == LLMProvider::gemini); });
  return section("Status", 12, rows, this);
}

QLayout* LLMConfigurationView::makeActionRow() {
  auto* row = horizontalStack(16);
  testButton_ = new ui::StyledButton("Test Connection", ui::ButtonStyle::secondary(), this);
  saveButton_ = new ui::StyledButton("Save", ui::ButtonStyle::primary(), this);
  savedButton_ = new ui::StyledButton("Saved", ui::ButtonStyle::saved(), this);
  savedButton_->setEnabled(false);
  for (auto* button : {testButton_, saveButton_, savedButton_}) row->addWidget(button);
  row->addStretch();
  connect(testButton_, &QAbstractButton::clicked, this, &LLMConfigurationView::testConnection);
  connect(saveButton_, &QAbstractButton::clicked, this, &LLMConfigurationView::save);
  bindings_.recompute(
      [this] { testButton_->setEnabled(!isTestingConnection_.get() && configManager_.isConfigurationValid.get()); },
      isTestingConnection_, configManager_.isConfigurationValid);
  // The built-in service saves each change at once; only a save that a store
  // did not take leaves it unsaved, and then "Save" shows for it too, since
  // the compose assistant still reads the previous provider.
  bindings_.recompute(
      [this] {
        const bool external = llmConfig_.isExternalProvider();
        saveButton_->setVisible(llmConfig_.hasUnsavedChanges.get());
        savedButton_->setVisible(external && !llmConfig_.hasUnsavedChanges.get());
      },
      llmConfig_.currentProvider, llmConfig_.hasUnsavedChanges);
  return row;
}

void LLMConfigurationView::showProviderFields() {
  for (auto& [provider, card] : cards_) card->setSelected(provider == *llmConfig_.currentProvider);
  delete fields_;
  fields_ = nullptr;
  configurationSection_->setVisible(llmConfig_.isExternalProvider());
  if (!llmConfig_.isExternalProvider()) return;
  fields_ = new ProviderSettingsFields(llmConfig_, configurationFields_->parentWidget());
  configurationFields_->addWidget(fields_);
  // Made after the buttons under them, the fields would follow those in the
  // order of Tab; the buttons go after the fields, as they stand on screen.
  QWidget* previous = nullptr;
  for (QWidget* next = fields_->nextInFocusChain(); fields_->isAncestorOf(next); next = next->nextInFocusChain())
    if (next->focusPolicy() & Qt::TabFocus) previous = next;
  for (QWidget* button : {testButton_, saveButton_, savedButton_}) {
    if (previous) QWidget::setTabOrder(previous, button);
    previous = button;
  }
}

void LLMConfigurationView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  configManager_.refreshStatus();
}

void LLMConfigurationView::selectProvider(LLMProvider provider) {
  llmConfig_.switchProvider(provider);
  configManager_.refreshStatus();
}

void LLMConfigurationView::testConnection() {
  if (isTestingConnection_.get()) return;
  // The button is disabled while the test runs, and Qt would pass its focus
  // on to the next control; the screen holds it (showing no ring) until the
  // answer is closed, and then the button has it again.
  const bool pressedFromTheKeyboard = testButton_->hasFocus();
  if (pressedFromTheKeyboard) setFocus(Qt::OtherFocusReason);
  isTestingConnection_ = true;
  // The answer comes on the main queue, perhaps after this screen is gone.
  service_.testConnection([screen = QPointer<LLMConfigurationView>(this), pressedFromTheKeyboard](quorbel::LLMResult result) {
    if (!screen) return;
    screen->isTestingConnection_ = false;
    screen->configManager_.lastTestSuccessful = result.has_value();
    const QString text = result ? "✅ Connection successful!\n\nResponse: " + qt(*result)
                                : "❌ Connection failed!\n\nError: " + qt(result.error()->localizedDescription());
    screen->presentAlert(screen->testAlert_, "Connection Test", text,
                         pressedFromTheKeyboard ? screen->testButton_ : nullptr);
  });
}

void LLMConfigurationView::save() {
  const bool pressedFromTheKeyboard = saveButton_->hasFocus();
  llmConfig_.saveConfigurationManually();
  configManager_.refreshStatus();
  // "Save" gave way to "Saved", which is disabled: the focus stays beside it.
  if (pressedFromTheKeyboard && saveButton_->isHidden()) focusControlBefore(saveButton_);
  // "Save" stays, and says why.
  if (const auto& failure = llmConfig_.saveFailure.get()) {
    presentAlert(saveFailedAlert_, "Not Saved", qt(notSavedMessage(*failure)));
    return;
  }
  const auto issues = llmConfig_.validateConfiguration();
  if (issues.empty()) return;
  QStringList lines;
  for (const auto& issue : issues) lines << "• " + qt(issue);
  presentAlert(issuesAlert_, "Configuration Issues", lines.join('\n'));
  issuesAlert_->messageLabel()->setAlignment(Qt::AlignLeft);
}

void LLMConfigurationView::presentAlert(QPointer<ui::AlertDialog>& slot, const QString& title, const QString& message,
                                        QWidget* returningFocusTo) {
  if (slot) slot->close();
  slot = new ui::AlertDialog(title, message, this);
  slot->addButton("OK");
  slot->setAttribute(Qt::WA_DeleteOnClose);
  if (returningFocusTo) slot->returnFocusTo(returningFocusTo);
  slot->open();
}

void LLMConfigurationView::focusControlBefore(QWidget* widget) {
  for (QWidget* candidate = widget->previousInFocusChain(); candidate != widget && isAncestorOf(candidate);
       candidate = candidate->previousInFocusChain()) {
    if ((candidate->focusPolicy() & Qt::TabFocus) && candidate->isVisible() && candidate->isEnabled()) {
      candidate->setFocus(Qt::OtherFocusReason);
      return;
    }
  }
}

}  // namespace mervo::views
