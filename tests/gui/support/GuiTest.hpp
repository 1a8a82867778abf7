#pragma once

// The shared base of the widget tests: the test programs run on Qt's
// offscreen platform with the kit's theme (see gui_test_main.cpp); these
// helpers render widgets, find their parts and wait for animations.

#include <QColor>
#include <QImage>
#include <QLabel>
#include <QString>
#include <QWidget>

#include <chrono>
#include <functional>

#include "test_support/TestEnvironment.hpp"

namespace gui_test {

// Lays the widget out at the given size (its size hint when empty) and
// renders it, at `scale` device pixels per point.
QImage render(QWidget& widget, QSize size = {}, qreal scale = 1);

// Renders at double resolution into <build>/gui-renders/<name>.png for a
// person to look at; returns the file's path.
QString renderToPng(QWidget& widget, const QString& name, QSize size = {});

// Shows the widget as a window and waits until the platform has exposed it.
void showAndWait(QWidget& widget);

// Runs the event loop until `condition` holds or the time is up.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = test_support::kHangGuard);

// Runs the event loop until no animation under `root` that has an end is
// running (folding, unfolding), however long the machine takes.
bool waitUntilAnimationsEnd(const QObject& root);

// Presses the left button on the widget's middle, moves the pointer by `by`
// in four steps and releases it there (the widget reads global positions).
void drag(QWidget& widget, QPoint by);

// True when every pixel of the image has the same colour.
bool isBlank(const QImage& image);

// How many pixels lie within `tolerance` (per channel, alpha included) of the colour.
int countPixelsNear(const QImage& image, const QColor& color, int tolerance = 8);

// The pixel's colour, translucent pixels composed over white.
QColor colorOverWhite(const QImage& image, QPoint at);

// A wrapping label's text as a person reads it: without the zero-width
// spaces that give long tokens their break opportunities.
QString readableText(const QLabel& label);

// The first descendant of `root` that shows `text` (a label or a button).
QWidget* findByText(QWidget& root, const QString& text);

template <typename T>
T* findByName(QWidget& root, const QString& objectName) {
  return root.findChild<T*>(objectName);
}

}  // namespace gui_test
