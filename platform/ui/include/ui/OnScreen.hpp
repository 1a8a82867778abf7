#pragma once

class QPoint;
class QRect;
class QWidget;

namespace ui {

// Makes the window open within the available area of its screen: no larger
// than that area (never below its minimum size), and moved onto it, once as
// it first shows and again when it is first on screen, where the window
// manager's frame is known. A window that cannot fit keeps its title bar on
// the area, and its content's leading edge.
void keepOnScreen(QWidget& window);

// Where `box` goes to lie within `area`: moved in as far as needed, and, along
// a side where it is longer than the area, to the area's start.
QPoint placedWithin(const QRect& area, const QRect& box);

}  // namespace ui
