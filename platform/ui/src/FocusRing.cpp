#include "ui/FocusRing.hpp"

#include "ui/ContinuousRoundedRect.hpp"
#include "ui/Palette.hpp"

#include <QApplication>
#include <QFocusEvent>
#include <QPainter>
#include <QPointer>
#include <QWidget>

#include <algorithm>

namespace ui {
namespace {

constexpr qreal kBandWidth = 3;
constexpr qreal kLineWidth = 1.5;

// Remembers whether the focus last moved by the keyboard (Tab, Backtab or a
// shortcut), or because of a key (an alert answered with Return gives the
// focus back to its window). Rings show only then, as on the platform: not
// for the focus a click gives, nor a window's activation by a click.
class KeyboardFocusTracker : public QObject {
 public:
  using QObject::QObject;
  bool movedByKeyboard = false;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress: lastInputWasKey_ = true; break;
      case QEvent::MouseButtonPress:
      case QEvent::TouchBegin:
      // What brings the program back (a click on a window's frame or on the
      // desktop) never reaches it: the keys typed before say nothing of it.
      case QEvent::ApplicationDeactivate: lastInputWasKey_ = false; break;
      case QEvent::FocusIn: {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::MouseFocusReason) lastInputWasKey_ = false;
        movedByKeyboard = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                          reason == Qt::ShortcutFocusReason || (reason != Qt::MouseFocusReason && lastInputWasKey_);
        break;
      }
      default: break;
    }
    return false;
  }

 private:
  bool lastInputWasKey_ = false;
};

}  // namespace

bool keyboardFocusMovedByKeyboard() {
  static QPointer<KeyboardFocusTracker> tracker;
  if (!tracker && qApp) {
    tracker = new KeyboardFocusTracker(qApp);
    qApp->installEventFilter(tracker);
  }
  return tracker && tracker->movedByKeyboard;
}

void paintFocusRing(QPainter& painter, const QRectF& outline, qreal cornerRadius) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(Qt::NoBrush);
  // Each stroke is centred on its path, so the paths run half a width in.
  const qreal band = kBandWidth / 2;
  painter.strokePath(continuousRoundedRect(outline.adjusted(band, band, -band, -band), std::max<qreal>(0, cornerRadius - band)),
                     QPen(color::withOpacity(color::accent(), 0.5), kBandWidth));
  const qreal line = kBandWidth + kLineWidth / 2;
  painter.strokePath(continuousRoundedRect(outline.adjusted(line, line, -line, -line), std::max<qreal>(0, cornerRadius - line)),
                     QPen(color::withOpacity(color::white(), 0.9), kLineWidth));
  painter.restore();
}

bool showsFocusRing(const QWidget& widget) { return widget.hasFocus() && keyboardFocusMovedByKeyboard(); }

}  // namespace ui
