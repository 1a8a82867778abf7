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

// Drawing helpers in design units. Every symbol ends as one filled path, so
// strokes are turned into outlines and cut-outs are path subtractions.

QPainterPath strokeOf(const QPainterPath& path, qreal width, Qt::PenCapStyle cap = Qt::RoundCap,
                      Qt::PenJoinStyle join = Qt::RoundJoin) {
  QPainterPathStroker stroker;
  stroker.setWidth(width);
  stroker.setCapStyle(cap);
  stroker.setJoinStyle(join);
  return stroker.createStroke(path).simplified();
}

QPainterPath polyline(std::initializer_list<QPointF> points) {
  QPainterPath path;
  path.addPolygon(QPolygonF(QList<QPointF>(points)));
  return path;
}

QPainterPath circle(QPointF centre, qreal radius) {
  QPainterPath path;
  path.addEllipse(centre, radius, radius);
  return path;
}

QPainterPath roundedRect(const QRectF& rect, qreal radius) {
  QPainterPath path;
  path.addRoundedRect(rect, radius, radius);
  return path;
}

// A four-pointed sparkle with concave sides.
QPainterPath sparkle(QPointF c, qreal r) {
  const qreal k = r * 0.16;
  QPainterPath path;
  path.moveTo(c.x(), c.y() - r);
  path.quadTo(c.x() + k, c.y() - k, c.x() + r, c.y());
  path.quadTo(c.x() + k, c.y() + k, c.x(), c.y() + r);
  path.quadTo(c.x() - k, c.y() + k, c.x() - r, c.y());
  path.quadTo(c.x() - k, c.y() - k, c.x(), c.y() - r);
  path.closeSubpath();
  return path;
}

QPainterPath filledCircleWithCutout(const QPainterPath& cutout) {
  return circle({12, 12}, 10.5).subtracted(cutout);
}

using Drawing = std::function<QPainterPath(qreal line)>;

QPainterPath envelopeFill(qreal line) {
  const auto body = roundedRect(QRectF(1.5, 4.5, 21, 15), 2.5);
  return body.subtracted(strokeOf(polyline({{2.5, 6.5}, {12, 13.5}, {21.5, 6.5}}), 1.6 * line));
}

QPainterPath wandAndStars(qreal line) {
  auto path = strokeOf(polyline({{3.5, 20.5}, {13.5, 10.5}}), 2.6 * line);
  path = path.united(strokeOf(polyline({{15.2, 8.8}, {16.4, 7.6}}), 2.6 * line));
  path = path.united(sparkle({18.5, 14}, 3.2));
  path = path.united(sparkle({9.5, 5}, 3.2));
  return path.united(sparkle({19.5, 3.5}, 2.2));
}

QPainterPath sparkles(qreal line) {
  auto path = sparkle({9.5, 14}, 8.5);
  path = path.united(sparkle({19, 5}, 3.8));
  return path.united(sparkle({19.5, 19.5}, 2.6));
}

QPainterPath brainHeadProfile(qreal line) {
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
  auto brain = circle({10.3, 8.7}, 2.6).united(circle({13.9, 8.9}, 2.5)).united(circle({12.1, 11.9}, 2.5));
  return strokeOf(head, 1.7 * line).united(strokeOf(brain, 1.2 * line));
}

QPainterPath cpu(qreal line) {
  auto path = strokeOf(roundedRect(QRectF(5.5, 5.5, 13, 13), 2), 1.8 * line);
  path = path.united(roundedRect(QRectF(9, 9, 6, 6), 1));
  for (const qreal at : {9.0, 12.0, 15.0}) {
    path = path.united(strokeOf(polyline({{at, 1.8}, {at, 4.6}}), 1.5 * line));
    path = path.united(strokeOf(polyline({{at, 19.4}, {at, 22.2}}), 1.5 * line));
    path = path.united(strokeOf(polyline({{1.8, at}, {4.6, at}}), 1.5 * line));
    path = path.united(strokeOf(polyline({{19.4, at}, {22.2, at}}), 1.5 * line));
  }
  return path;
}

QPainterPath desktopComputer(qreal line) {
  auto path = strokeOf(roundedRect(QRectF(2, 3, 20, 14), 2), 1.7 * line);
  path = path.united(QPainterPath(roundedRect(QRectF(2, 13.2, 20, 3.8), 1.5)));
  path = path.united(polyline({{10, 17}, {14, 17}, {14.8, 20.5}, {9.2, 20.5}}));
  return path.united(strokeOf(polyline({{7.5, 21}, {16.5, 21}}), 1.7 * line));
}

QPainterPath serverRack(qreal line) {
  QPainterPath path;
  for (const qreal top : {2.5, 9.0, 15.5}) {
    path = path.united(strokeOf(roundedRect(QRectF(2.5, top, 19, 6), 1.5), 1.5 * line));
    path = path.united(circle({6.2, top + 3}, 1.1));
    path = path.united(strokeOf(polyline({{14.5, top + 3}, {18, top + 3}}), 1.4 * line));
  }
  return path;
}

QPainterPath checkmarkCircleFill(qreal line) {
  return filledCircleWithCutout(strokeOf(polyline({{7, 12.4}, {10.5, 15.9}, {17, 8.4}}), 2.2 * line));
}

QPainterPath xmarkCircleFill(qreal line) {
  const auto cross = strokeOf(polyline({{8.4, 8.4}, {15.6, 15.6}}), 2.2 * line)
                         .united(strokeOf(polyline({{15.6, 8.4}, {8.4, 15.6}}), 2.2 * line));
  return filledCircleWithCutout(cross);
}

QPainterPath questionmarkCircleFill(qreal line) {
  QPainterPath hook;
  hook.moveTo(9, 9.4);
  hook.cubicTo(9, 7.3, 10.4, 6, 12, 6);
  hook.cubicTo(13.8, 6, 15, 7.3, 15, 8.9);
  hook.cubicTo(15, 10.5, 13.8, 11.1, 12.9, 11.7);
  hook.cubicTo(12.2, 12.2, 12, 12.8, 12, 13.8);
  return filledCircleWithCutout(strokeOf(hook, 2.2 * line).united(circle({12, 17.3}, 1.45)));
}

QPainterPath clockFill(qreal line) {
  return filledCircleWithCutout(strokeOf(polyline({{12, 6.2}, {12, 12}, {16.2, 14.6}}), 2 * line));
}

QPainterPath starFill(qreal line) {
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
  return star.united(strokeOf(star, 1.4));
}

QPainterPath houseFill(qreal line) {
  auto path = strokeOf(polyline({{2.2, 12}, {12, 3.2}, {21.8, 12}}), 2.2 * line);
  QPainterPath body;
  body.addPolygon(QPolygonF({{5.2, 11.2}, {12, 5.2}, {18.8, 11.2}, {18.8, 21}, {5.2, 21}, {5.2, 11.2}}));
  body = body.subtracted(roundedRect(QRectF(10, 14.5, 4, 7), 0.8));
  return path.united(body);
}

QPainterPath squareGrid2x2Fill(qreal line) {
  QPainterPath path;
  for (const qreal x : {2.5, 13.0})
    for (const qreal y : {2.5, 13.0}) path.addRoundedRect(QRectF(x, y, 8.5, 8.5), 2.2, 2.2);
  return path;
}

QPainterPath textBubbleFill(qreal line) {
  auto bubble = roundedRect(QRectF(2, 2.5, 20, 15), 4);
  bubble = bubble.united(polyline({{5.5, 16}, {4.8, 21.8}, {11.5, 16.5}}));
  auto text = strokeOf(polyline({{6.5, 7}, {17.5, 7}}), 1.6 * line);
  text = text.united(strokeOf(polyline({{6.5, 10}, {17.5, 10}}), 1.6 * line));
  text = text.united(strokeOf(polyline({{6.5, 13}, {13, 13}}), 1.6 * line));
  return bubble.subtracted(text);
}

QPainterPath eyeFill(qreal line) {
  QPainterPath eye;
  eye.moveTo(1.2, 12);
  eye.cubicTo(4.2, 6.8, 7.8, 4.5, 12, 4.5);
  eye.cubicTo(16.2, 4.5, 19.8, 6.8, 22.8, 12);
  eye.cubicTo(19.8, 17.2, 16.2, 19.5, 12, 19.5);
  eye.cubicTo(7.8, 19.5, 4.2, 17.2, 1.2, 12);
  eye.closeSubpath();
  return eye.subtracted(circle({12, 12}, 4.9)).united(circle({12, 12}, 3.3));
}

QPainterPath gear(QPointF centre, qreal bodyRadius, qreal toothRadius, qreal holeRadius) {
  auto path = circle(centre, bodyRadius);
  const QRectF tooth(-1.6, -toothRadius, 3.2, toothRadius);
  for (int i = 0; i < 8; ++i) {
    QTransform turn;
    turn.translate(centre.x(), centre.y());
    turn.rotate(i * 45.0);
    path = path.united(turn.map(roundedRect(tooth, 0.8)));
  }
  return path.subtracted(circle(centre, holeRadius));
}

QPainterPath gearBadge(qreal line) {
  const QPointF badge(19.3, 4.7);
  return gear({10.5, 13.5}, 7, 9.6, 3).subtracted(circle(badge, 4.6)).united(circle(badge, 3.2));
}

QPainterPath globe(qreal line) {
  QPainterPath lines = circle({12, 12}, 9.8);
  lines.addEllipse(QPointF(12, 12), 4.2, 9.8);
  lines.moveTo(2.2, 12);
  lines.lineTo(21.8, 12);
  lines.moveTo(4.2, 6.6);
  lines.lineTo(19.8, 6.6);
  lines.moveTo(4.2, 17.4);
  lines.lineTo(19.8, 17.4);
  auto path = strokeOf(lines, 1.5 * line);
  return path.intersected(circle({12, 12}, 9.8 + 0.75 * line));
}

QPainterPath docOnDoc(qreal line) {
  const QRectF front(3.5, 6.5, 11.5, 15);
  const QRectF back(9, 2.5, 11.5, 15);
  auto path = strokeOf(roundedRect(front, 2), 1.7 * line, Qt::FlatCap, Qt::MiterJoin);
  auto behind = strokeOf(roundedRect(back, 2), 1.7 * line, Qt::FlatCap, Qt::MiterJoin);
  behind = behind.subtracted(roundedRect(front.adjusted(-1.8, -1.8, 1.8, 1.8), 3));
  return path.united(behind);
}

QPainterPath arrowUpLeftAndArrowDownRight(qreal line) {
  const qreal width = 2 * line;
  auto path = strokeOf(polyline({{5.5, 5.5}, {18.5, 18.5}}), width);
  path = path.united(strokeOf(polyline({{4.5, 11}, {4.5, 4.5}, {11, 4.5}}), width));
  return path.united(strokeOf(polyline({{19.5, 13}, {19.5, 19.5}, {13, 19.5}}), width));
}

QPainterPath chevronRight(qreal line) { return strokeOf(polyline({{9, 4.5}, {16.5, 12}, {9, 19.5}}), 2.4 * line); }

QPainterPath chevronUpChevronDown(qreal line) {
  return strokeOf(polyline({{7.5, 9.5}, {12, 5}, {16.5, 9.5}}), 2.2 * line)
      .united(strokeOf(polyline({{7.5, 14.5}, {12, 19}, {16.5, 14.5}}), 2.2 * line));
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
  auto path = found->second(lineScale);
  path.setFillRule(Qt::WindingFill);
  return path;
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
