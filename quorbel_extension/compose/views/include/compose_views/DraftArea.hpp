#pragma once

#include <QLabel>
#include <QWidget>

#include "compose/MailPopoverModel.hpp"
#include "compose_views/Bindings.hpp"
#include "ui/ConfirmationBanner.hpp"
#include "ui/ProgressIndicator.hpp"
#include "ui/StyledButton.hpp"
#include "ui/TextEditor.hpp"
#include "ui/TextField.hpp"

namespace quorbel::views {

// What every mode shows below its panel: the progress line, the error line,
// and the draft with its refinement row and copy button.
class DraftArea : public QWidget {
 public:
  DraftArea(MailPopoverModel& popover, QWidget* parent = nullptr);
  ui::ProgressIndicator* progressLine() const { return progress_; }
  QLabel* errorLine() const { return error_; }
  QWidget* draftSection() const { return draftSection_; }
  ui::TextEditor* draftEditor() const { return editor_; }
  ui::TextField* refinementField() const { return refinement_; }
  ui::StyledButton* refineButton() const { return refine_; }
  ui::StyledButton* copyButton() const { return copy_; }
  ui::ConfirmationBanner* copiedMessage() const { return copied_; }

 private:
  // What the editor holds, line ends as LF.
  QString editorText() const;
  void showDraft(const std::string& draft);

  ui::ProgressIndicator* progress_;
  QLabel* error_;
  QWidget* draftSection_;
  ui::TextEditor* editor_;
  ui::TextField* refinement_;
  ui::StyledButton* refine_;
  ui::StyledButton* copy_;
  ui::ConfirmationBanner* copied_;
  bool showingDraft_ = false;
  Bindings bindings_;
};

}  // namespace quorbel::views
