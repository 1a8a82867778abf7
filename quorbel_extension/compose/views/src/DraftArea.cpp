#include "compose_views/DraftArea.hpp"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "compose_views/PopoverStyle.hpp"
#include "foundation/Text.hpp"

namespace quorbel::views {

DraftArea::DraftArea(MailPopoverModel& popover, QWidget* parent) : QWidget(parent) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(12);

  progress_ = views::progressLine("Generating Reply...", this);
  progress_->setContentsMargins(0, 10, 0, 0);
  column->addWidget(progress_);
  bindings_.visible(progress_, popover.isLoading);
  bindings_.observe<bool>(popover.isLoadingQuestions, [this](bool analyzing) {
    progressText()->setText(analyzing ? "Analyzing..." : "Generating Reply...");
  });

  error_ = errorLabel(this);
  error_->setContentsMargins(0, 5, 0, 0);
  column->addWidget(error_);
  bindings_.observe<platform::ErrorPtr>(popover.error, [this](const platform::ErrorPtr& error) {
    error_->setVisible(error != nullptr);
    if (error) error_->setText(QString::fromStdString("Error: " + error->localizedDescription()));
  });

  draftSection_ = new QWidget(this);
  auto* draftColumn = new QVBoxLayout(draftSection_);
  draftColumn->setContentsMargins(0, 5, 0, 0);
  editor_ = new QPlainTextEdit(draftSection_);
  editor_->setMinimumHeight(150);
  editor_->setFont(textStyle(TextStyle::body));
  editor_->setStyleSheet("QPlainTextEdit { border: 1px solid rgba(128, 128, 128, 128); border-radius: 5px; }");
  draftColumn->addWidget(editor_);
  bindings_.observe<std::string>(popover.currentDraft, [this](const std::string& draft) {
    if (editor_->toPlainText().toStdString() != draft) editor_->setPlainText(QString::fromStdString(draft));
  });
  connect(editor_, &QPlainTextEdit::textChanged, this, [this, &popover] {
    auto text = editor_->toPlainText().toStdString();
    if (popover.currentDraft.get() != text) popover.currentDraft = text;
  });

  auto* row = new QHBoxLayout();
  row->setSpacing(8);
  refinement_ = new QLineEdit(draftSection_);
  refinement_->setPlaceholderText("Refine instructions...");
  bindings_.text(refinement_, popover.refinementPrompt);
  row->addWidget(refinement_, 1);
  refine_ = new QPushButton("Refine", draftSection_);
  connect(refine_, &QPushButton::clicked, this, [&popover] { popover.refineDraft(); });
  bindings_.recompute(
      [this, &popover] {
        refine_->setEnabled(!popover.isLoading.get() && !platform::text::isBlank(popover.refinementPrompt.get()));
      },
      popover.isLoading, popover.refinementPrompt);
  row->addWidget(refine_);
  copy_ = new QToolButton(draftSection_);
  copy_->setIcon(symbolIcon("doc.on.doc"));
  copy_->setToolTip("Copy");
  connect(copy_, &QToolButton::clicked, this, [&popover] { popover.copyAndFlashConfirmation(); });
  bindings_.observe<std::string>(popover.currentDraft,
                                 [this](const std::string& draft) { copy_->setEnabled(!draft.empty()); });
  row->addWidget(copy_);
  copied_ = new QLabel("Copied to Clipboard!", draftSection_);
  copied_->setFont(textStyle(TextStyle::caption));
  QPalette palette = copied_->palette();
  palette.setColor(QPalette::WindowText, QColor(0x34, 0xC7, 0x59));
  copied_->setPalette(palette);
  bindings_.visible(copied_, popover.showCopiedMessage);
  row->addWidget(copied_);
  draftColumn->addLayout(row);
  column->addWidget(draftSection_);
  bindings_.visible(draftSection_, popover.hasGeneratedDraft);
}

QLabel* DraftArea::progressText() const { return progress_->findChild<QLabel*>("progressText"); }

}  // namespace quorbel::views
