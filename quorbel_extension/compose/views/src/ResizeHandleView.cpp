#include "compose_views/ResizeHandleView.hpp"

#include <QMouseEvent>

#include <cmath>

#include "ui/Palette.hpp"
#include "ui/SymbolIcon.hpp"

namespace quorbel::views {

namespace {
constexpr double kMinimumDragDistance = 10;
}

ResizeHandleView::ResizeHandleView(MailPopoverModel& popover, QWidget* parent) : QLabel(parent), popover_(popover) {
  setPixmap(ui::SymbolIcon("arrow.up.left.and.arrow.down.right", 12, ui::color::gray()).pixmap(devicePixelRatioF()));
  setContentsMargins(8, 8, 8, 8);
  setCursor(Qt::SizeFDiagCursor);
  setToolTip("Resize");
}

void ResizeHandleView::mousePressEvent(QMouseEvent* event) {
  pressPosition_ = event->globalPosition();
  dragging_ = false;
}

void ResizeHandleView::mouseMoveEvent(QMouseEvent* event) {
  if (!pressPosition_) return;
  QPointF translation = event->globalPosition() - *pressPosition_;
  if (!dragging_ && std::hypot(translation.x(), translation.y()) < kMinimumDragDistance) return;
  if (!dragging_ && parentWidget()) {
    // The drag starts from the size on the screen, which may be shorter than
    // the one asked for (the screen's room); stored is only what it ends at.
    popover_.currentWidth = parentWidget()->width();
    popover_.currentHeight = parentWidget()->height();
  }
  dragging_ = true;
  popover_.resizeDragChanged(translation.x(), translation.y());
}

void ResizeHandleView::mouseReleaseEvent(QMouseEvent*) {
  if (dragging_) popover_.resizeDragEnded();
  pressPosition_.reset();
  dragging_ = false;
}

}  // namespace quorbel::views
