#pragma once

#include <QLabel>
#include <QWidget>

#include "compose/MailPopoverModel.hpp"
#include "compose_views/Bindings.hpp"
#include "ui/DisclosureGroup.hpp"
#include "ui/ProgressIndicator.hpp"
#include "ui/StyledButton.hpp"
#include "ui/TextField.hpp"

namespace quorbel::views {

class DraftStyleControlsView;

// Write: the instruction, the style controls and the Draft button, in the
// "Customize Draft" group.
class WritePanel : public QWidget {
 public:
  WritePanel(MailPopoverModel& popover, QWidget* parent = nullptr);
  ui::DisclosureGroup* group() const { return group_; }
  ui::TextField* instructionField() const { return instruction_; }
  ui::StyledButton* draftButton() const { return draft_; }
  DraftStyleControlsView* styleControls() const { return style_; }

 private:
  ui::DisclosureGroup* group_;
  DraftStyleControlsView* style_;
  ui::TextField* instruction_;
  ui::StyledButton* draft_;
  Bindings bindings_;
};

// AI Agent: the analysis, then one answer field per guiding question and the
// reply's Draft button.
class AIAgentPanel : public QWidget {
 public:
  AIAgentPanel(MailPopoverModel& popover, QWidget* parent = nullptr);
  ui::StyledButton* analyzeButton() const { return analyze_; }
  ui::ProgressIndicator* analyzingIndicator() const { return analyzing_; }
  QLabel* errorLine() const { return error_; }
  ui::DisclosureGroup* questionsGroup() const { return questions_; }
  QList<ui::TextField*> answerFields() const;
  ui::StyledButton* draftButton() const { return draft_; }

 private:
  void rebuildQuestions(const std::vector<std::string>& questions);
  MailPopoverModel& popover_;
  ui::StyledButton* analyze_;
  ui::ProgressIndicator* analyzing_;
  QLabel* error_;
  ui::DisclosureGroup* questions_;
  QWidget* questionList_;
  ui::StyledButton* draft_;
  Bindings bindings_;
};

// Voice Agent: nothing to do yet.
class VoiceAgentPanel : public QWidget {
 public:
  explicit VoiceAgentPanel(QWidget* parent = nullptr);
};

}  // namespace quorbel::views
