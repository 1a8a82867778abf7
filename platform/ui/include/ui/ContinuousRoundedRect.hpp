#pragma once

#include <QPainterPath>
#include <QRectF>

namespace ui {

// A rounded rectangle with continuous ("squircle") corners: the curvature
// grows smoothly out of the straight edges instead of starting at once as a
// circular arc does. The radius shrinks to fit small rectangles.
QPainterPath continuousRoundedRect(const QRectF& rect, qreal cornerRadius);

}  // namespace ui
