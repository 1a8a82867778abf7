#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>

#include "compose/MailPopoverModel.hpp"
#include "compose_views/Bindings.hpp"

namespace quorbel::views {

// What every mode shows below its panel: the progress line, the error line,
// and the draft with its refinement row and copy button.
class DraftArea : public QWidget {
 public:
  DraftArea(MailPopoverModel& popover, QWidget* parent = nullptr);
  QWidget* progressLine() const { return progress_; }
  QLabel* progressText() const;
  QLabel* errorLine() const { return error_; }
  QWidget* draftSection() const { return draftSection_; }
  QPlainTextEdit* draftEditor() const { return editor_; }
  QLineEdit* refinementField() const { return refinement_; }
  QPushButton* refineButton() const { return refine_; }
  QToolButton* copyButton() const { return copy_; }
  QLabel* copiedMessage() const { return copied_; }

 private:
  QWidget* progress_;
  QLabel* error_;
  QWidget* draftSection_;
  QPlainTextEdit* editor_;
  QLineEdit* refinement_;
  QPushButton* refine_;
  QToolButton* copy_;
  QLabel* copied_;
  Bindings bindings_;
};

}  // namespace quorbel::views
