#pragma once

#include <QLabel>
#include <QPointF>

#include <optional>

#include "compose/MailPopoverModel.hpp"

namespace quorbel::views {

// The grip in the popover's bottom-right corner. A drag of at least 10
// points resizes the popover while it moves and stores the size when it ends.
class ResizeHandleView : public QLabel {
 public:
  ResizeHandleView(MailPopoverModel& popover, QWidget* parent = nullptr);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  MailPopoverModel& popover_;
  std::optional<QPointF> pressPosition_;
  bool dragging_ = false;
};

}  // namespace quorbel::views
