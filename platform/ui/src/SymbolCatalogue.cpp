#include "SymbolCatalogue.hpp"

#include <QPainterPathStroker>
#include <QPolygonF>
#include <QTransform>

#include <cmath>
#include <functional>
#include <map>
#include <numbers>

namespace ui::symbols {
namespace {

// Drawing helpers in design units. Every symbol ends as one filled outline:
// strokes are turned into outlines, and cut-outs and unions are path
// arithmetic. Qt flattens curves to within half a unit while it does that
// arithmetic, so it is done on a copy magnified well beyond the design square.
constexpr qreal kPrecision = 32;

struct Shape {
  QPainterPath path;

  static Shape magnified(const QPainterPath& path) { return {QTransform::fromScale(kPrecision, kPrecision).map(path)}; }
  QPainterPath designUnits() const { return QTransform::fromScale(1 / kPrecision, 1 / kPrecision).map(path); }

  Shape operator+(const Shape& other) const { return {path.united(other.path)}; }
  Shape operator-(const Shape& other) const { return {path.subtracted(other.path)}; }
  Shape operator&(const Shape& other) const { return {path.intersected(other.path)}; }
  Shape& operator+=(const Shape& other) { return *this = *this + other; }
};

Shape stroke(const QPainterPath& path, qreal width, Qt::PenCapStyle cap = Qt::RoundCap,
             Qt::PenJoinStyle join = Qt::RoundJoin) {
  QPainterPathStroker stroker;
  stroker.setWidth(width * kPrecision);
  stroker.setCapStyle(cap);
  stroker.setJoinStyle(join);
  return {stroker.createStroke(Shape::magnified(path).path).simplified()};
}

Shape area(const QPainterPath& path) { return Shape::magnified(path); }

QPainterPath polyline(std::initializer_list<QPointF> points) {
  QPainterPath path;
  path.addPolygon(QPolygonF(QList<QPointF>(points)));
  return path;
}

QPainterPath circlePath(QPointF centre, qreal radius) {
  QPainterPath path;
  path.addEllipse(centre, radius, radius);
  return path;
}

Shape circle(QPointF centre, qreal radius) { return area(circlePath(centre, radius)); }

QPainterPath roundedRectPath(const QRectF& rect, qreal radius) {
  QPainterPath path;
  path.addRoundedRect(rect, radius, radius);
  return path;
}

Shape roundedRect(const QRectF& rect, qreal radius) { return area(roundedRectPath(rect, radius)); }

// A four-pointed sparkle with concave sides.
Shape sparkle(QPointF c, qreal r) {
  const qreal k = r * 0.16;
  QPainterPath path;
  path.moveTo(c.x(), c.y() - r);
  path.quadTo(c.x() + k, c.y() - k, c.x() + r, c.y());
  path.quadTo(c.x() + k, c.y() + k, c.x(), c.y() + r);
  path.quadTo(c.x() - k, c.y() + k, c.x() - r, c.y());
  path.quadTo(c.x() - k, c.y() - k, c.x(), c.y() - r);
  path.closeSubpath();
  return area(path);
}

Shape filledCircleWithCutout(const Shape& cutout) { return circle({12, 12}, 10.5) - cutout; }

using Drawing = std::function<Shape(qreal line)>;

Shape envelopeFill(qreal line) {
  return roundedRect(QRectF(1.5, 4.5, 21, 15), 2.5) - stroke(polyline({{2.5, 6.5}, {12, 13.5}, {21.5, 6.5}}), 1.6 * line);
}

Shape wandAndStars(qreal line) {
  return stroke(polyline({{3.5, 20.5}, {13.5, 10.5}}), 2.6 * line) + stroke(polyline({{15.2, 8.8}, {16.4, 7.6}}), 2.6 * line) +
         sparkle({18.5, 14}, 3.2) + sparkle({9.5, 5}, 3.2) + sparkle({19.5, 3.5}, 2.2);
}

Shape sparkles(qreal line) { return sparkle({9.5, 14}, 8.5) + sparkle({19, 5}, 3.8) + sparkle({19.5, 19.5}, 2.6); }

Shape brainHeadProfile(qreal line) {
  QPainterPath head;
  head.moveTo(7.5, 22.5);
  head.lineTo(7.5, 18.2);
  head.cubicTo(5, 16.5, 3.5, 13.8, 3.5, 10.5);
  head.cubicTo(3.5, 5.6, 7.5, 2, 12.5, 2);
  head.cubicTo(17, 2, 20.3, 5.2, 20.3, 9.5);
  head.lineTo(21.8, 12.6);
  head.cubicTo(22.1, 13.3, 21.7, 14, 21, 14);
  head.lineTo(20.3, 14);
  head.lineTo(20.3, 16.8);
  head.cubicTo(20.3, 18, 19.3, 19, 18.1, 19);
  head.lineTo(15.5, 19);
  head.lineTo(15.5, 22.5);
  QPainterPath brain = circlePath({10.3, 8.7}, 2.6).united(circlePath({13.9, 8.9}, 2.5)).united(circlePath({12.1, 11.9}, 2.5));
  return stroke(head, 1.7 * line) + stroke(brain, 1.2 * line);
}

Shape cpu(qreal line) {
  Shape chip = stroke(roundedRectPath(QRectF(5.5, 5.5, 13, 13), 2), 1.8 * line) + roundedRect(QRectF(9, 9, 6, 6), 1);
  for (const qreal at : {9.0, 12.0, 15.0}) {
    chip += stroke(polyline({{at, 1.8}, {at, 4.6}}), 1.5 * line) + stroke(polyline({{at, 19.4}, {at, 22.2}}), 1.5 * line);
    chip += stroke(polyline({{1.8, at}, {4.6, at}}), 1.5 * line) + stroke(polyline({{19.4, at}, {22.2, at}}), 1.5 * line);
  }
  return chip;
}

Shape desktopComputer(qreal line) {
  return stroke(roundedRectPath(QRectF(2, 3, 20, 14), 2), 1.7 * line) + roundedRect(QRectF(2, 13.2, 20, 3.8), 1.5) +
         area(polyline({{10, 17}, {14, 17}, {14.8, 20.5}, {9.2, 20.5}, {10, 17}})) +
         stroke(polyline({{7.5, 21}, {16.5, 21}}), 1.7 * line);
}

Shape serverRack(qreal line) {
  Shape rack;
  for (const qreal top : {2.5, 9.0, 15.5}) {
    rack += stroke(roundedRectPath(QRectF(2.5, top, 19, 6), 1.5), 1.5 * line) + circle({6.2, top + 3}, 1.1) +
            stroke(polyline({{14.5, top + 3}, {18, top + 3}}), 1.4 * line);
  }
  return rack;
}

Shape checkmarkCircleFill(qreal line) {
  return filledCircleWithCutout(stroke(polyline({{7, 12.4}, {10.5, 15.9}, {17, 8.4}}), 2.2 * line));
}

Shape xmarkCircleFill(qreal line) {
  return filledCircleWithCutout(stroke(polyline({{8.4, 8.4}, {15.6, 15.6}}), 2.2 * line) +
                                stroke(polyline({{15.6, 8.4}, {8.4, 15.6}}), 2.2 * line));
}

Shape questionmarkCircleFill(qreal line) {
  QPainterPath hook;
  hook.moveTo(9, 9.4);
  hook.cubicTo(9, 7.3, 10.4, 6, 12, 6);
  hook.cubicTo(13.8, 6, 15, 7.3, 15, 8.9);
  hook.cubicTo(15, 10.5, 13.8, 11.1, 12.9, 11.7);
  hook.cubicTo(12.2, 12.2, 12, 12.8, 12, 13.8);
  return filledCircleWithCutout(stroke(hook, 2.2 * line) + circle({12, 17.3}, 1.45));
}

Shape clockFill(qreal line) {
  return filledCircleWithCutout(stroke(polyline({{12, 6.2}, {12, 12}, {16.2, 14.6}}), 2 * line));
}

Shape starFill(qreal line) {
  QPolygonF points;
  const QPointF centre(12, 12.8);
  for (int i = 0; i < 10; ++i) {
    const qreal radius = i % 2 == 0 ? 10.2 : 4.3;
    const qreal angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
    points << centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
  }
  points << points.front();
  QPainterPath star;
  star.addPolygon(points);
  // A round-joined outline softens the points as the symbol's are.
  return area(star) + stroke(star, 1.4);
}

Shape houseFill(qreal line) {
  const Shape body = area(polyline({{5.2, 11.2}, {12, 5.2}, {18.8, 11.2}, {18.8, 21}, {5.2, 21}, {5.2, 11.2}})) -
                     roundedRect(QRectF(10, 14.5, 4, 7), 0.8);
  return stroke(polyline({{2.2, 12}, {12, 3.2}, {21.8, 12}}), 2.2 * line) + body;
}

Shape squareGrid2x2Fill(qreal line) {
  Shape grid;
  for (const qreal x : {2.5, 13.0})
    for (const qreal y : {2.5, 13.0}) grid += roundedRect(QRectF(x, y, 8.5, 8.5), 2.2);
  return grid;
}

Shape textBubbleFill(qreal line) {
  const Shape bubble = roundedRect(QRectF(2, 2.5, 20, 15), 4) + area(polyline({{5.5, 16}, {4.8, 21.8}, {11.5, 16.5}, {5.5, 16}}));
  const Shape text = stroke(polyline({{6.5, 7}, {17.5, 7}}), 1.6 * line) + stroke(polyline({{6.5, 10}, {17.5, 10}}), 1.6 * line) +
                     stroke(polyline({{6.5, 13}, {13, 13}}), 1.6 * line);
  return bubble - text;
}

Shape eyeFill(qreal line) {
  QPainterPath eye;
  eye.moveTo(1.2, 12);
  eye.cubicTo(4.2, 6.8, 7.8, 4.5, 12, 4.5);
  eye.cubicTo(16.2, 4.5, 19.8, 6.8, 22.8, 12);
  eye.cubicTo(19.8, 17.2, 16.2, 19.5, 12, 19.5);
  eye.cubicTo(7.8, 19.5, 4.2, 17.2, 1.2, 12);
  eye.closeSubpath();
  return area(eye) - circle({12, 12}, 4.9) + circle({12, 12}, 3.3);
}

Shape gear(QPointF centre, qreal bodyRadius, qreal toothRadius, qreal holeRadius) {
  Shape wheel = circle(centre, bodyRadius);
  const QPainterPath tooth = roundedRectPath(QRectF(-1.6, -toothRadius, 3.2, toothRadius), 0.8);
  for (int i = 0; i < 8; ++i) {
    QTransform turn;
    turn.translate(centre.x(), centre.y());
    turn.rotate(i * 45.0);
    wheel += area(turn.map(tooth));
  }
  return wheel - circle(centre, holeRadius);
}

Shape gearBadge(qreal line) {
  const QPointF badge(19.3, 4.7);
  return gear({10.5, 13.5}, 7, 9.6, 3) - circle(badge, 4.6) + circle(badge, 3.2);
}

Shape globe(qreal line) {
  QPainterPath lines = circlePath({12, 12}, 9.8);
  lines.addEllipse(QPointF(12, 12), 4.2, 9.8);
  lines.moveTo(2.2, 12);
  lines.lineTo(21.8, 12);
  lines.moveTo(4.2, 6.6);
  lines.lineTo(19.8, 6.6);
  lines.moveTo(4.2, 17.4);
  lines.lineTo(19.8, 17.4);
  return stroke(lines, 1.5 * line) & circle({12, 12}, 9.8 + 0.75 * line);
}

Shape docOnDoc(qreal line) {
  const QRectF front(3.5, 6.5, 11.5, 15);
  const QRectF back(9, 2.5, 11.5, 15);
  const Shape behind = stroke(roundedRectPath(back, 2), 1.7 * line, Qt::FlatCap, Qt::MiterJoin) -
                       roundedRect(front.adjusted(-1.8, -1.8, 1.8, 1.8), 3);
  return stroke(roundedRectPath(front, 2), 1.7 * line, Qt::FlatCap, Qt::MiterJoin) + behind;
}

Shape arrowUpLeftAndArrowDownRight(qreal line) {
  const qreal width = 2 * line;
  return stroke(polyline({{5.5, 5.5}, {18.5, 18.5}}), width) + stroke(polyline({{4.5, 11}, {4.5, 4.5}, {11, 4.5}}), width) +
         stroke(polyline({{19.5, 13}, {19.5, 19.5}, {13, 19.5}}), width);
}

Shape chevronRight(qreal line) { return stroke(polyline({{9, 4.5}, {16.5, 12}, {9, 19.5}}), 2.4 * line); }

Shape chevronUpChevronDown(qreal line) {
  return stroke(polyline({{7.5, 9.5}, {12, 5}, {16.5, 9.5}}), 2.2 * line) +
         stroke(polyline({{7.5, 14.5}, {12, 19}, {16.5, 14.5}}), 2.2 * line);
}

const std::map<QString, Drawing>& catalogue() {
  static const std::map<QString, Drawing> drawings{
      {"arrow.up.left.and.arrow.down.right", arrowUpLeftAndArrowDownRight},
      {"brain.head.profile", brainHeadProfile},
      {"checkmark.circle.fill", checkmarkCircleFill},
      {"chevron.right", chevronRight},
      {"chevron.up.chevron.down", chevronUpChevronDown},
      {"clock.fill", clockFill},
      {"cpu", cpu},
      {"desktopcomputer", desktopComputer},
      {"doc.on.doc", docOnDoc},
      {"envelope.fill", envelopeFill},
      {"eye.fill", eyeFill},
      {"gear.badge", gearBadge},
      {"globe", globe},
      {"house.fill", houseFill},
      {"questionmark.circle.fill", questionmarkCircleFill},
      {"server.rack", serverRack},
      {"sparkles", sparkles},
      {"square.grid.2x2.fill", squareGrid2x2Fill},
      {"star.fill", starFill},
      {"text.bubble.fill", textBubbleFill},
      {"wand.and.stars", wandAndStars},
      {"xmark.circle.fill", xmarkCircleFill},
  };
  return drawings;
}

}  // namespace

std::optional<QPainterPath> outline(const QString& name, qreal lineScale) {
  const auto& drawings = catalogue();
  const auto found = drawings.find(name);
  if (found == drawings.end()) return std::nullopt;
  return found->second(lineScale).designUnits();
}

QPainterPath placeholderOutline(qreal lineScale) {
  QPainterPath frame;
  frame.addRoundedRect(QRectF(4, 4, 16, 16), 3, 3);
  QPainterPathStroker stroker;
  stroker.setWidth(1.5 * lineScale);
  stroker.setDashPattern(QVector<qreal>{2, 1.5});
  return stroker.createStroke(frame);
}

bool contains(const QString& name) { return catalogue().contains(name); }

QStringList names() {
  QStringList list;
  for (const auto& [name, drawing] : catalogue()) list << name;
  return list;
}

}  // namespace ui::symbols
