#include "GuiTest.hpp"

#include <QAbstractAnimation>
#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QSaveFile>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace gui_test {

QImage render(QWidget& widget, QSize size, qreal scale) {
  widget.ensurePolished();
  if (widget.layout()) widget.layout()->activate();
  widget.resize(size.isEmpty() ? widget.sizeHint().expandedTo(widget.minimumSizeHint()) : size);
  if (widget.layout()) widget.layout()->activate();
  // Scroll areas settle their scroll bars in posted events.
  QCoreApplication::processEvents();
  QImage image((QSizeF(widget.size()) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(scale);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  widget.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
  painter.end();
  return image;
}

QString renderToPng(QWidget& widget, const QString& name, QSize size) {
  const QString directory = QStringLiteral(GUI_RENDER_DIR);
  QDir().mkpath(directory);
  const QString path = directory + '/' + name + ".png";
  // Written whole, then renamed: another run of the same test never reads
  // half a file.
  QSaveFile file(path);
  if (file.open(QIODevice::WriteOnly) && render(widget, size, 2).save(&file, "PNG")) file.commit();
  return path;
}

void showAndWait(QWidget& widget) {
  widget.show();
  (void)QTest::qWaitForWindowExposed(&widget);
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  QDeadlineTimer deadline(timeout);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QTest::qSleep(5);
  }
  return true;
}

bool waitUntilAnimationsEnd(const QObject& root) {
  return waitUntil([&] {
    const auto animations = root.findChildren<QAbstractAnimation*>();
    return std::none_of(animations.begin(), animations.end(),
                        [](const QAbstractAnimation* a) {
                          // One that loops for ever (a spinner) never ends.
                          return a->state() == QAbstractAnimation::Running && a->loopCount() != -1;
                        });
  });
}

void drag(QWidget& widget, QPoint by) {
  const QPointF local = QRectF(widget.rect()).center();
  const QPointF global = widget.mapToGlobal(local);
  auto send = [&](QEvent::Type type, QPointF offset, Qt::MouseButtons buttons) {
    QMouseEvent event(type, local + offset, global + offset, Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
  };
  send(QEvent::MouseButtonPress, {}, Qt::LeftButton);
  for (int step = 1; step <= 4; ++step) send(QEvent::MouseMove, QPointF(by) * step / 4.0, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, QPointF(by), Qt::NoButton);
}

bool isBlank(const QImage& image) {
  const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < pixels.height(); ++y)
    for (int x = 0; x < pixels.width(); ++x)
      if (pixels.pixel(x, y) != pixels.pixel(0, 0)) return false;
  return true;
}

int countPixelsNear(const QImage& image, const QColor& color, int tolerance) {
  const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
  int count = 0;
  for (int y = 0; y < pixels.height(); ++y) {
    for (int x = 0; x < pixels.width(); ++x) {
      const QColor pixel = QColor::fromRgba(pixels.pixel(x, y));
      if (std::abs(pixel.red() - color.red()) <= tolerance && std::abs(pixel.green() - color.green()) <= tolerance &&
          std::abs(pixel.blue() - color.blue()) <= tolerance && std::abs(pixel.alpha() - color.alpha()) <= tolerance)
        ++count;
    }
  }
  return count;
}

QColor colorOverWhite(const QImage& image, QPoint at) {
  QImage flat(image.size(), QImage::Format_RGB32);
  flat.fill(Qt::white);
  QPainter(&flat).drawImage(0, 0, image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
  return flat.pixelColor(at);
}

QWidget* findByText(QWidget& root, const QString& text) {
  for (auto* widget : root.findChildren<QWidget*>()) {
    if (auto* label = qobject_cast<QLabel*>(widget); label && label->text() == text) return label;
    if (auto* button = qobject_cast<QAbstractButton*>(widget); button && button->text() == text) return button;
  }
  return nullptr;
}

QString readableText(const QLabel& label) { return label.text().remove(QChar(0x200B)); }

}  // namespace gui_test
