#pragma once

#include "ui/Typography.hpp"

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>

class QPainter;

namespace ui {

// A system symbol ("envelope.fill", "wand.and.stars", "cpu", ...) drawn as a
// vector outline at any point size, weight and colour. A name it doesn't know
// draws a dashed placeholder square; the empty name draws nothing. Use on the
// GUI thread.
class SymbolIcon {
 public:
  SymbolIcon(QString name, double pointSize, QColor color, FontWeight weight = FontWeight::regular);

  const QString& name() const { return name_; }
  double pointSize() const { return pointSize_; }
  const QColor& color() const { return color_; }
  FontWeight weight() const { return weight_; }
  bool isKnown() const;

  // The square the symbol occupies beside text of the same point size.
  qreal side() const;
  QSizeF size() const { return {side(), side()}; }

  // Draws the symbol centred in the box, scaled to its shorter side.
  void paint(QPainter& painter, const QRectF& box) const;
  QPixmap pixmap(qreal devicePixelRatio = 1) const;
  QIcon icon() const;

  static QStringList knownNames();

 private:
  QString name_;
  double pointSize_;
  QColor color_;
  FontWeight weight_;
};

}  // namespace ui
