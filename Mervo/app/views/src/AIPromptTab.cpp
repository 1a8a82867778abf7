#include "app_views/AIPromptTab.hpp"

#include <QLabel>
#include <QVBoxLayout>

#include "app_views/SettingsCard.hpp"
#include "app_views/Stacks.hpp"
#include "app_views/ToggleRow.hpp"
#include "settings/SaveFailure.hpp"
#include "ui/Divider.hpp"
#include "ui/Palette.hpp"
#include "ui/Text.hpp"
#include "ui/TextEditor.hpp"
#include "ui/Typography.hpp"

namespace mervo::views {
namespace {

constexpr int kEditorMinimumHeight = 200;
constexpr int kPreviewMaximumHeight = 200;

ui::FieldStyle promptEditorStyle() {
  ui::FieldStyle style = ui::FieldStyle::filled(ui::color::withOpacity(ui::color::tertiaryLabel(), 0.1), 12, 8);
  style.font = ui::font(ui::TextStyle::body, ui::FontDesign::monospaced);
  return style;
}

// Saves whenever the field takes a new value (not for the one it has now).
template <typename T>
void saveOnChange(ui::Bindings& bindings, platform::Published<T>& field, UserSettings& userSettings) {
  bindings.observe<T>(field, [&userSettings, last = std::make_shared<T>(field.get())](const T& value) {
    if (value == *last) return;
    *last = value;
    userSettings.saveSettings();
  });
}

}  // namespace

AIPromptTab::AIPromptTab(UserSettings& userSettings, PromptInForce& promptInForce, QWidget* parent) : QWidget(parent) {
  auto* cards = verticalStack(this, 20);
  cards->addWidget(new SettingsCard("System Prompt Configuration", "text.bubble.fill", makeConfigurationContent(userSettings),
                                    false, this));
  cards->addWidget(new SettingsCard("Current Active Prompt", "eye.fill", makePreviewContent(), false, this));
  bindings_.recompute(
      [this, &userSettings, &promptInForce] {
        activePrompt_->setText(QString::fromStdString(userSettings.saveFailure->has_value()
                                                          ? *promptInForce.prompt
                                                          : userSettings.effectiveSystemPrompt()));
      },
      userSettings.useCustomPrompt, userSettings.customSystemPrompt, userSettings.emailTone, userSettings.responseLength,
      userSettings.includeContext, userSettings.saveFailure, promptInForce.prompt);
}

QWidget* AIPromptTab::makeConfigurationContent(UserSettings& userSettings) {
  auto* content = new QWidget;
  auto* stack = verticalStack(content, 16);
  toggleRow_ = new ToggleRow("Use Custom System Prompt", "Override default AI behavior with your custom instructions",
                             userSettings.useCustomPrompt, false, content);
  stack->addWidget(toggleRow_);

  editorSection_ = new QWidget(content);
  auto* section = verticalStack(editorSection_, 16);
  auto* divider = new ui::Divider(editorSection_);
  divider->setColor(ui::color::withOpacity(ui::color::secondaryLabel(), 0.3));
  section->addWidget(divider);
  auto* editorStack = new QVBoxLayout;
  editorStack->setSpacing(8);
  editorStack->addWidget(
      ui::makeText("Custom System Prompt", ui::systemFont(16, ui::FontWeight::medium), ui::color::label(), editorSection_));
  editorStack->addWidget(wrappingText("Define how the AI should behave when generating email responses", ui::systemFont(14),
                                      ui::color::secondaryLabel(), editorSection_));
  editor_ = new ui::TextEditor(promptEditorStyle(), editorSection_);
  editor_->setMinimumHeight(kEditorMinimumHeight);
  editorStack->addWidget(editor_);
  section->addLayout(editorStack);
  stack->addWidget(editorSection_);

  // Every change is saved at once; one that did not reach the shared suite
  // says so here until a save does, and so do stored settings that could
  // not be read at the start.
  saveFailureNotice_ = wrappingText({}, ui::systemFont(12), ui::color::red(), content);
  stack->addWidget(saveFailureNotice_);
  bindings_.recompute(
      [this, &userSettings] {
        const auto& saveFailure = *userSettings.saveFailure;
        const auto& loadFailure = *userSettings.loadFailure;
        if (saveFailure || loadFailure)
          saveFailureNotice_->setText(QString::fromStdString(saveFailure ? notSavedMessage(*saveFailure)
                                                                         : notReadMessage(*loadFailure)));
        saveFailureNotice_->setVisible(saveFailure || loadFailure);
      },
      userSettings.saveFailure, userSettings.loadFailure);

  bindings_.text(editor_, userSettings.customSystemPrompt);
  bindings_.visible(editorSection_, userSettings.useCustomPrompt);
  saveOnChange(bindings_, userSettings.useCustomPrompt, userSettings);
  saveOnChange(bindings_, userSettings.customSystemPrompt, userSettings);
  return content;
}

QWidget* AIPromptTab::makePreviewContent() {
  auto* content = new QWidget;
  auto* stack = verticalStack(content, 12);
  stack->addWidget(wrappingText("This is the prompt currently being used by the AI:", ui::systemFont(14),
                                ui::color::secondaryLabel(), content));
  ui::FieldStyle style = ui::FieldStyle::filled(ui::color::withOpacity(ui::color::black(), 0.3), 12, 8);
  style.font = ui::font(ui::TextStyle::caption, ui::FontDesign::monospaced);
  style.textColor = ui::color::withOpacity(ui::color::label(), 0.9);
  activePrompt_ = new ui::TextEditor(style, content);
  activePrompt_->setReadOnly(true);
  activePrompt_->fitToText(kPreviewMaximumHeight);
  stack->addWidget(activePrompt_);
  return content;
}

}  // namespace mervo::views
