#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "compose/MailPopoverModel.hpp"
#include "compose_views/Bindings.hpp"
#include "compose_views/DisclosureSection.hpp"

namespace quorbel::views {

// Write: the instruction, the style controls and the Draft button, in the
// "Customize Draft" section.
class WritePanel : public QWidget {
 public:
  WritePanel(MailPopoverModel& popover, QWidget* parent = nullptr);
  DisclosureSection* section() const { return section_; }
  QLineEdit* instructionField() const { return instruction_; }
  QPushButton* draftButton() const { return draft_; }

 private:
  DisclosureSection* section_;
  QLineEdit* instruction_;
  QPushButton* draft_;
  Bindings bindings_;
};

// AI Agent: the analysis, then one answer field per guiding question and the
// reply's Draft button.
class AIAgentPanel : public QWidget {
 public:
  AIAgentPanel(MailPopoverModel& popover, QWidget* parent = nullptr);
  QPushButton* analyzeButton() const { return analyze_; }
  QWidget* analyzingLine() const { return analyzing_; }
  QLabel* errorLine() const { return error_; }
  DisclosureSection* questionsSection() const { return questions_; }
  QList<QLineEdit*> answerFields() const;
  QPushButton* draftButton() const { return draft_; }

 private:
  void rebuildQuestions(const std::vector<std::string>& questions);
  MailPopoverModel& popover_;
  QPushButton* analyze_;
  QWidget* analyzing_;
  QLabel* error_;
  DisclosureSection* questions_;
  QWidget* questionList_;
  QPushButton* draft_;
  Bindings bindings_;
};

// Voice Agent: nothing to do yet.
class VoiceAgentPanel : public QWidget {
 public:
  explicit VoiceAgentPanel(QWidget* parent = nullptr);
};

}  // namespace quorbel::views
