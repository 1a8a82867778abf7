#include "AnchoredPopover.hpp"

#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWindow>

#include "ui/OnScreen.hpp"

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
  // A press on the desktop or in another program reaches no window of ours;
  // it shows as this program losing activation.
  connect(qApp, &QGuiApplication::focusWindowChanged, this, &AnchoredPopover::closeUnlessOurs);
}

void AnchoredPopover::setContent(QWidget* content) {
  content_ = content;
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSizeConstraint(QLayout::SetFixedSize);  // follows the content's size
  layout->addWidget(content);
  content->installEventFilter(this);
}

bool AnchoredPopover::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::LayoutRequest:
      // Seen before the layout resizes the popover to its content. Qt sends
      // a shown window's new size with the place it last heard the native
      // window is at, and on a reopened popover that can be the place the
      // window was made at (a report of the mapping that came before the
      // move): the popover would jump there.
      if (QWindow* native = windowHandle(); watched == this && isVisible() && native && native->framePosition() != corner_)
        native->setFramePosition(corner_);
      break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
      if (watched == anchor_ || (anchor_ && watched == anchor_->window())) place();
      if (watched == content_ && event->type() == QEvent::Resize) fitContent();
      break;
    case QEvent::Hide:
      // An alert of the popover's, closing while active, has asked for the
      // popover's activation; the window manager may hand it to the anchor's
      // window first.
      if (auto* hidden = qobject_cast<QWidget*>(watched);
          hidden && hidden != this && hidden->isWindow() && hidden->isActiveWindow() && holds(hidden))
        awaitingActivation_ = true;
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
  fitContent();
  if (layout()) layout()->activate();  // the fitted size, before it is placed
  place();  // before the window is mapped, so that it never shows elsewhere
}

void AnchoredPopover::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // Resized while shown (by its grip), it keeps its top left corner, as a
  // window resized by its corner does, so that the grip follows the pointer;
  // moved only as far as it must to stay on the screen.
  if (!isVisible()) return place();
  if (const QRect room = this->room(); !room.isEmpty()) corner_ = ui::placedWithin(room, QRect(corner_, size()));
  move(corner_);
}

void AnchoredPopover::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  // The keyboard goes back to where it was in the anchor's window.
  if (anchor_ && isActiveWindow()) anchor_->window()->activateWindow();
}

QRect AnchoredPopover::room() const {
  const QScreen* screen = anchor_ ? anchor_->screen() : nullptr;
  return screen ? screen->availableGeometry() : QRect();
}

void AnchoredPopover::fitContent() {
  const QSize room = this->room().size();
  if (!content_ || room.isEmpty()) return;
  // Shortened rather than left reaching past the screen's edge, where its
  // lower part (and a resize grip there) could not be reached. The content
  // keeps the size it asks for; the next size it sets is fitted again.
  if (content_->height() > room.height()) content_->setFixedHeight(room.height());
  if (content_->width() > room.width()) content_->setFixedWidth(room.width());
}

void AnchoredPopover::place() {
  if (!anchor_) return;
  // Global coordinates are device-independent pixels, as sizes are, at any
  // scale factor.
  const QRect button(anchor_->mapToGlobal(QPoint(0, 0)), anchor_->size());
  QPoint at(button.left(), button.bottom() + 1);
  if (const QRect room = this->room(); !room.isEmpty()) {
    const bool fitsBelow = at.y() + height() <= room.bottom() + 1;
    const bool fitsAbove = button.top() - height() >= room.top();
    if (!fitsBelow && fitsAbove) at.setY(button.top() - height());
    // Never past the screen's edges: with room for neither, it is moved up
    // until it ends at the lower edge (its top at the upper edge, when it is
    // as tall as the screen).
    at = ui::placedWithin(room, QRect(at, size()));
  }
  corner_ = at;
  move(at);
}

bool AnchoredPopover::holds(const QWidget* widget) const {
  // Across window boundaries: the view's alerts and picker lists are windows
  // of their own inside the popover.
  for (; widget; widget = widget->parentWidget())
    if (widget == this) return true;
  return false;
}

void AnchoredPopover::closeUnlessOurs(QWindow* activated) {
  if (!isVisible()) return;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (!activated || window->windowHandle() != activated) continue;
    if (holds(window)) {
      awaitingActivation_ = false;
      return;
    }
    // Only until the activation the popover asked for arrives (a window
    // manager may first activate the anchor's window, newly shown or under
    // a closing alert); any other activation of the anchor's window (a click
    // in it, Alt+Tab) closes the popover, or keys would go into that window
    // under it.
    if (awaitingActivation_ && anchor_ && window == anchor_->window()) return;
  }
  close();
}

}  // namespace mailkit
