#include "compose_views/MailPopoverView.hpp"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "compose_views/DraftArea.hpp"
#include "compose_views/ModePanels.hpp"
#include "compose_views/ResizeHandleView.hpp"
#include "ui/Palette.hpp"

namespace quorbel::views {

MailPopoverView::MailPopoverView(std::shared_ptr<MailPopoverModel> popover, QWidget* parent)
    : QWidget(parent), popover_(std::move(popover)) {
  auto& model = *popover_;
  setAutoFillBackground(true);
  QPalette background = palette();
  background.setColor(QPalette::Window, ui::color::windowBackground());
  setPalette(background);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  QStringList labels;
  for (auto mode : allEditorModes) labels << QString::fromUtf8(rawValue(mode).data(), rawValue(mode).size());
  modes_ = new ui::SegmentedPicker(labels, this);
  modes_->setTitle("Mode");
  auto* picker = new QHBoxLayout();
  picker->setContentsMargins(12, 12, 12, 10);
  picker->addWidget(modes_);
  column->addLayout(picker);
  connect(modes_, &ui::SegmentedPicker::activated, this,
          [&model](int index) { model.handleModeSelection(allEditorModes[index]); });

  scroll_ = new QScrollArea(this);
  scroll_->setWidgetResizable(true);
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // the content wraps to the width instead
  // No stop of Tab: it could show no focus ring, and the keys that scroll it
  // reach it from whichever control in it has the focus.
  scroll_->setFocusPolicy(Qt::NoFocus);
  auto* content = new QWidget(scroll_);
  auto* stack = new QVBoxLayout(content);
  stack->setContentsMargins(12, 0, 12, 12);
  stack->setSpacing(12);
  write_ = new WritePanel(model, content);
  agent_ = new AIAgentPanel(model, content);
  voice_ = new VoiceAgentPanel(content);
  draftArea_ = new DraftArea(model, content);
  for (QWidget* part : {static_cast<QWidget*>(write_), static_cast<QWidget*>(agent_), static_cast<QWidget*>(voice_),
                        static_cast<QWidget*>(draftArea_)})
    stack->addWidget(part);
  stack->addStretch();
  scroll_->setWidget(content);
  column->addWidget(scroll_, 1);

  grip_ = new ResizeHandleView(model, this);
  grip_->raise();

  bindings_.observe<EditorMode>(model.currentMode, [this](EditorMode mode) {
    modes_->setCurrentIndex(static_cast<int>(mode));
    write_->setVisible(mode == EditorMode::write);
    agent_->setVisible(mode == EditorMode::aiAgent);
    voice_->setVisible(mode == EditorMode::voiceAgent);
  });
  bindings_.recompute(
      [this, &model] {
        setFixedSize(static_cast<int>(model.currentWidth.get()), static_cast<int>(model.currentHeight.get()));
      },
      model.currentWidth, model.currentHeight);
  bindings_.observe<bool>(model.showTabChangeAlert, [this](bool shown) {
    if (shown && !alert_) presentModeChangeAlert();
  });
}

void MailPopoverView::presentModeChangeAlert() {
  alert_ = new ui::AlertDialog("Unsaved Changes",
                               "You have a generated draft. Leaving this tab will discard the current draft. Do you "
                               "want to continue?",
                               this);
  alert_->addButton("Leave Tab", ui::AlertDialog::Role::destructive);
  alert_->addButton("Cancel", ui::AlertDialog::Role::cancel);
  alert_->setAttribute(Qt::WA_DeleteOnClose);
  auto popover = popover_;
  // Only "Leave Tab" accepts; Cancel, Escape and closing the window all cancel.
  connect(alert_, &QDialog::finished, this, [popover](int result) {
    popover->showTabChangeAlert = false;
    result == QDialog::Accepted ? popover->confirmModeChange() : popover->cancelModeChange();
  });
  alert_->open();
}

void MailPopoverView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (appeared_) return;
  appeared_ = true;
  popover_->appeared();
}

void MailPopoverView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  placeGrip();
}

void MailPopoverView::placeGrip() {
  grip_->adjustSize();
  grip_->move(width() - grip_->width(), height() - grip_->height());
  grip_->raise();
}

}  // namespace quorbel::views
