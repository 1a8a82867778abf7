#include "AnchoredPopover.hpp"

#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>

#include <algorithm>

namespace mailkit {

AnchoredPopover::AnchoredPopover(QWidget* anchor)
    : QWidget(anchor->window(), Qt::Tool | Qt::FramelessWindowHint), anchor_(anchor) {
  setAttribute(Qt::WA_DeleteOnClose);
  // Alerts and pickers of the view are windows of their own and answer
  // Escape themselves; this one is only active while the popover is.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, &QWidget::close);
  anchor->installEventFilter(this);
  anchor->window()->installEventFilter(this);
  qApp->installEventFilter(this);
}

bool AnchoredPopover::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
      if (watched == anchor_ || (anchor_ && watched == anchor_->window())) place();
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      auto* pressed = qobject_cast<QWidget*>(watched);
      const bool onAnchor = anchor_ && pressed && (pressed == anchor_ || anchor_->isAncestorOf(pressed));
      if (pressed && isVisible() && !holds(pressed) && !onAnchor) close();
      break;
    }
    default: break;
  }
  return QWidget::eventFilter(watched, event);
}

void AnchoredPopover::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  place();  // before the window is mapped, so that it never shows elsewhere
}

void AnchoredPopover::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  place();  // a taller popover may no longer fit below its button
}

void AnchoredPopover::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  // The keyboard goes back to where it was in the anchor's window.
  if (anchor_ && isActiveWindow()) anchor_->window()->activateWindow();
}

void AnchoredPopover::place() {
  if (!anchor_) return;
  // Global coordinates are device-independent pixels, as sizes are, at any
  // scale factor.
  const QRect button(anchor_->mapToGlobal(QPoint(0, 0)), anchor_->size());
  QPoint at(button.left(), button.bottom() + 1);
  if (const QScreen* screen = anchor_->screen()) {
    const QRect room = screen->availableGeometry();
    const bool fitsBelow = at.y() + height() <= room.bottom() + 1;
    if (!fitsBelow && button.top() - height() >= room.top()) at.setY(button.top() - height());
    at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() + 1 - width())));
  }
  move(at);
}

bool AnchoredPopover::holds(const QWidget* widget) const {
  // Across window boundaries: the view's alerts and picker lists are windows
  // of their own inside the popover.
  for (; widget; widget = widget->parentWidget())
    if (widget == this) return true;
  return false;
}

}  // namespace mailkit
