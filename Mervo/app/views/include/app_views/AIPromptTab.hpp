#pragma once

#include <QWidget>

#include "app/PromptInForce.hpp"
#include "settings/UserSettings.hpp"
#include "ui/Bindings.hpp"

class QLabel;

namespace ui {
class TextEditor;
}

namespace mervo::views {

class ToggleRow;

// The user's own system prompt: the switch that turns it on, its editor
// while it is on, and the preview of the prompt the settings assemble (as
// tall as its text, up to 200 points, then scrolling). Every change of the
// switch or the text is saved at once, so the compose assistant's next
// request uses it; turning the switch off keeps the text. While the last
// save did not reach the shared suite, the preview shows the prompt in
// force, which the assistant still uses.
class AIPromptTab : public QWidget {
  Q_OBJECT

 public:
  AIPromptTab(UserSettings& userSettings, PromptInForce& promptInForce, QWidget* parent = nullptr);

  ToggleRow* customPromptRow() const { return toggleRow_; }
  QWidget* editorSection() const { return editorSection_; }
  ui::TextEditor* editor() const { return editor_; }
  ui::TextEditor* activePrompt() const { return activePrompt_; }
  // Shown while the last save did not reach the shared suite.
  QLabel* saveFailureNotice() const { return saveFailureNotice_; }

 private:
  QWidget* makeConfigurationContent(UserSettings& userSettings);
  QWidget* makePreviewContent();

  ToggleRow* toggleRow_ = nullptr;
  QWidget* editorSection_ = nullptr;
  ui::TextEditor* editor_ = nullptr;
  ui::TextEditor* activePrompt_ = nullptr;
  QLabel* saveFailureNotice_ = nullptr;
  ui::Bindings bindings_;
};

}  // namespace mervo::views
