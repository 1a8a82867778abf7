#include "ui/SymbolIcon.hpp"

#include "SymbolCatalogue.hpp"
#include "ui/Palette.hpp"

#include <QHash>
#include <QPainter>

#include <cmath>

namespace ui {
namespace {

// Heavier weights draw thicker lines, as the symbols do beside heavier text.
qreal lineScale(FontWeight weight) {
  switch (weight) {
    case FontWeight::ultraLight: return 0.55;
    case FontWeight::thin: return 0.65;
    case FontWeight::light: return 0.8;
    case FontWeight::regular: return 1.0;
    case FontWeight::medium: return 1.12;
    case FontWeight::semibold: return 1.22;
    case FontWeight::bold: return 1.35;
    case FontWeight::heavy: return 1.5;
    case FontWeight::black: return 1.6;
  }
  return 1.0;
}

// Outlines are built with path arithmetic; a screen repaints often, so each
// (name, weight) is built once.
const QPainterPath& cachedOutline(const QString& name, FontWeight weight) {
  static QHash<QString, QPainterPath> cache;
  const QString key = name + '@' + QString::number(static_cast<int>(weight));
  auto found = cache.find(key);
  if (found == cache.end()) {
    const qreal scale = lineScale(weight);
    found = cache.insert(key, symbols::outline(name, scale).value_or(symbols::placeholderOutline(scale)));
  }
  return *found;
}

}  // namespace

SymbolIcon::SymbolIcon(QString name, double pointSize, QColor color, FontWeight weight)
    : name_(std::move(name)), pointSize_(pointSize), color_(color), weight_(weight) {}

bool SymbolIcon::isKnown() const { return symbols::contains(name_); }

qreal SymbolIcon::side() const { return std::ceil(pointSize_ * 1.25); }

void SymbolIcon::paint(QPainter& painter, const QRectF& box) const {
  // An empty name means "no symbol": nothing is drawn, not even the placeholder.
  const qreal scale = std::min(box.width(), box.height()) / symbols::kDesignSize;
  if (name_.isEmpty() || scale <= 0) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate(box.center());
  painter.scale(scale, scale);
  painter.translate(-symbols::kDesignSize / 2, -symbols::kDesignSize / 2);
  painter.fillPath(cachedOutline(name_, weight_), isKnown() ? color_ : color::withOpacity(color_, 0.6));
  painter.restore();
}

QPixmap SymbolIcon::pixmap(qreal devicePixelRatio) const {
  const int pixels = static_cast<int>(std::ceil(side() * devicePixelRatio));
  QPixmap pixmap(pixels, pixels);
  pixmap.fill(Qt::transparent);
  pixmap.setDevicePixelRatio(devicePixelRatio);
  QPainter painter(&pixmap);
  paint(painter, QRectF(QPointF(0, 0), size()));
  return pixmap;
}

QIcon SymbolIcon::icon() const {
  QIcon icon;
  icon.addPixmap(pixmap(1));
  icon.addPixmap(pixmap(2));
  return icon;
}

QStringList SymbolIcon::knownNames() { return symbols::names(); }

}  // namespace ui
