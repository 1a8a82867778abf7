#include "ui/ContinuousRoundedRect.hpp"

#include <QTransform>

#include <algorithm>
#include <array>

namespace ui {
namespace {

// How far, in corner radii, the curve reaches into the straight edges.
constexpr qreal kCornerReach = 1.52866483;

// One corner, the top-right one of a rectangle whose top-right point is the
// origin, as offsets in units of the radius (x leftwards, y downwards); it
// runs from the top edge to the right edge.
struct CornerSegment {
  QPointF control1, control2, end;
};
constexpr std::array<CornerSegment, 3> kCorner{{
    {{1.08849323, 0.0}, {0.86840689, 0.0}, {0.66993427, 0.06549600}},
    {{0.37282392, 0.16905899}, {0.16906013, 0.37282401}, {0.06549569, 0.66993493}},
    {{0.0, 0.86840701}, {0.0, 1.08849299}, {0.0, kCornerReach}},
}};

}  // namespace

QPainterPath continuousRoundedRect(const QRectF& rect, qreal cornerRadius) {
  QPainterPath path;
  const QRectF r = rect.normalized();
  const qreal radius = std::clamp(cornerRadius, qreal(0), std::min(r.width(), r.height()) / (2 * kCornerReach));
  if (radius <= 0) {
    path.addRect(r);
    return path;
  }
  // Each corner is the top-right one turned about the centre: top-right,
  // bottom-right, bottom-left, top-left, walking clockwise.
  const std::array<QTransform, 4> corners{
      QTransform(-radius, 0, 0, radius, r.right(), r.top()),
      QTransform(0, -radius, -radius, 0, r.right(), r.bottom()),
      QTransform(radius, 0, 0, -radius, r.left(), r.bottom()),
      QTransform(0, radius, radius, 0, r.left(), r.top()),
  };
  path.moveTo(corners[0].map(QPointF(kCornerReach, 0)));
  for (const auto& corner : corners) {
    path.lineTo(corner.map(QPointF(kCornerReach, 0)));
    for (const auto& segment : kCorner)
      path.cubicTo(corner.map(segment.control1), corner.map(segment.control2), corner.map(segment.end));
  }
  path.closeSubpath();
  return path;
}

}  // namespace ui
