#include "ui/OnScreen.hpp"

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace ui {
namespace {

void fit(QWidget& window) {
  const QRect area = window.screen()->availableGeometry();
  const QRect content = window.geometry();
  const QRect frame = window.frameGeometry();
  const QSize chrome = frame.size() - content.size();
  const QSize room = (area.size() - chrome).expandedTo(window.minimumSize());
  if (content.width() > room.width() || content.height() > room.height()) window.resize(content.size().boundedTo(room));
  const QSize outside = window.size() + chrome;
  QPoint to = placedWithin(area, QRect(frame.topLeft(), outside));
  // Beyond the area, the content keeps its leading edge on it, the frame
  // its title bar.
  if (outside.width() > area.width()) to.rx() -= content.x() - frame.x();
  if (to != frame.topLeft()) window.move(to);
}

// Fits the window as it first shows, and again once its platform window is
// first exposed; then it is done.
class OnScreen : public QObject {
 public:
  explicit OnScreen(QWidget& window) : QObject(&window), window_(window) { window.installEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &window_ && event->type() == QEvent::Show) {
      window_.removeEventFilter(this);
      fit(window_);
      if (QWindow* handle = window_.windowHandle()) handle->installEventFilter(this);
    } else if (watched != &window_ && event->type() == QEvent::Expose && window_.windowHandle()->isExposed()) {
      window_.windowHandle()->removeEventFilter(this);
      fit(window_);
      deleteLater();
    }
    return false;
  }

 private:
  QWidget& window_;
};

}  // namespace

void keepOnScreen(QWidget& window) { new OnScreen(window); }

QPoint placedWithin(const QRect& area, const QRect& box) {
  const auto along = [](int at, int length, int start, int room) {
    return length > room ? start : std::clamp(at, start, start + room - length);
  };
  return {along(box.x(), box.width(), area.x(), area.width()), along(box.y(), box.height(), area.y(), area.height())};
}

}  // namespace ui
