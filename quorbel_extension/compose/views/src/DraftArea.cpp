#include "compose_views/DraftArea.hpp"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "compose/DraftEditing.hpp"
#include "compose_views/PopoverParts.hpp"
#include "foundation/Text.hpp"
#include "ui/Palette.hpp"
#include "ui/Text.hpp"
#include "ui/Typography.hpp"

namespace quorbel::views {

namespace {

// A plain editor outlined in half-transparent grey, with no focus ring.
ui::FieldStyle draftEditorStyle() {
  ui::FieldStyle style = ui::FieldStyle::roundedBorder();
  style.focusRing = false;
  style.box.stroke = ui::color::withOpacity(ui::color::gray(), 0.5);
  style.box.strokeWidth = 1;
  style.box.cornerRadius = 5;
  return style;
}

}  // namespace

// Keeps no-break spaces and line separators; lines end in "\n".
QString DraftArea::editorText() const { return editor_->text(); }

void DraftArea::showDraft(const std::string& draft) {
  QString shown = QString::fromStdString(quorbel::editorText(draft));
  if (editorText() == shown) return;
  showingDraft_ = true;
  editor_->setText(shown);
  showingDraft_ = false;
}

DraftArea::DraftArea(MailPopoverModel& popover, QWidget* parent) : QWidget(parent) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(12);

  progress_ = new ui::ProgressIndicator("Generating Reply...", this);
  progress_->setContentsMargins(0, 10, 0, 0);
  column->addWidget(progress_);
  bindings_.visible(progress_, popover.isLoading);
  bindings_.observe<bool>(popover.isLoadingQuestions, [this](bool analyzing) {
    progress_->setLabel(analyzing ? "Analyzing..." : "Generating Reply...");
  });

  error_ = makeErrorText(this);
  error_->setContentsMargins(0, 5, 0, 0);
  column->addWidget(error_);
  bindings_.observe<platform::ErrorPtr>(popover.error, [this](const platform::ErrorPtr& error) {
    error_->setVisible(error != nullptr);
    if (error) ui::setWrappingText(error_, QString::fromStdString("Error: " + error->localizedDescription()));
  });

  draftSection_ = new QWidget(this);
  auto* draftColumn = new QVBoxLayout(draftSection_);
  draftColumn->setContentsMargins(0, 5, 0, 0);
  editor_ = new ui::TextEditor(draftEditorStyle(), draftSection_);
  editor_->setMinimumHeight(150);
  editor_->setFont(ui::font(ui::TextStyle::body));
  draftColumn->addWidget(editor_);
  // The draft is copied as the provider sent it: only what the user types
  // into the editor changes it, never the editor's own way of holding text.
  bindings_.observe<std::string>(popover.currentDraft, [this](const std::string& draft) { showDraft(draft); });
  connect(editor_, &ui::TextEditor::textChanged, this, [this, &popover](const QString&) {
    if (showingDraft_) return;
    std::string edited = editorText().toStdString();
    if (edited != quorbel::editorText(popover.currentDraft.get()))
      popover.currentDraft = draftAfterEdit(popover.currentDraft.get(), edited);
  });

  auto* row = new QHBoxLayout();
  row->setSpacing(8);
  refinement_ = new ui::TextField("Refine instructions...", ui::FieldStyle::roundedBorder(), draftSection_);
  bindings_.text(refinement_, popover.refinementPrompt);
  // As Return in the Write instruction drafts.
  connect(refinement_, &ui::TextField::returnPressed, this, [&popover] { popover.refineDraft(); });
  row->addWidget(refinement_, 1);
  refine_ = new ui::StyledButton("Refine", ui::ButtonStyle::bordered(), draftSection_);
  connect(refine_, &ui::StyledButton::clicked, this, [&popover] { popover.refineDraft(); });
  bindings_.recompute(
      [this, &popover] {
        refine_->setEnabled(!popover.isLoading.get() && !platform::text::isBlank(popover.refinementPrompt.get()));
      },
      popover.isLoading, popover.refinementPrompt);
  row->addWidget(refine_);
  copy_ = new ui::StyledButton({}, ui::ButtonStyle::bordered(), draftSection_);
  copy_->setSymbol("doc.on.doc");
  copy_->setToolTip("Copy");
  connect(copy_, &ui::StyledButton::clicked, this, [&popover] { popover.copyAndFlashConfirmation(); });
  bindings_.observe<std::string>(popover.currentDraft,
                                 [this](const std::string& draft) { copy_->setEnabled(!draft.empty()); });
  row->addWidget(copy_);
  // Shown and hidden by the popover's state, which keeps the 3-second timing.
  copied_ = new ui::ConfirmationBanner("Copied to Clipboard!", draftSection_);
  bindings_.visible(copied_, popover.showCopiedMessage);
  row->addWidget(copied_);
  draftColumn->addLayout(row);
  column->addWidget(draftSection_);
  bindings_.visible(draftSection_, popover.hasGeneratedDraft);
}

}  // namespace quorbel::views
