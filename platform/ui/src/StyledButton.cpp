#include "ui/StyledButton.hpp"

#include "ui/FocusRing.hpp"
#include "ui/Palette.hpp"
#include "ui/SymbolIcon.hpp"

#include <QFontMetricsF>
#include <QPainter>
#include <QVariantAnimation>

#include <cmath>

namespace ui {
namespace {

QColor blend(const QColor& from, const QColor& to, qreal amount) {
  const auto mix = [amount](float a, float b) { return a + (b - a) * static_cast<float>(amount); };
  return QColor::fromRgbF(mix(from.redF(), to.redF()), mix(from.greenF(), to.greenF()), mix(from.blueF(), to.blueF()),
                          mix(from.alphaF(), to.alphaF()));
}

qreal lerp(qreal from, qreal to, qreal amount) { return from + (to - from) * amount; }

}  // namespace

StyledButton::StyledButton(const QString& text, const ButtonStyle& style, QWidget* parent)
    : QAbstractButton(parent), pressAnimation_(new QVariantAnimation(this)) {
  setText(text);
  // Reached with Tab, not taken by a click, as on the platform.
  setFocusPolicy(Qt::TabFocus);
  setSizePolicy(style.fillsWidth ? QSizePolicy::Expanding : QSizePolicy::Fixed, QSizePolicy::Fixed);
  setButtonStyle(style);
  pressAnimation_->setEasingCurve(QEasingCurve::InOutQuad);
  connect(pressAnimation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
    pressAmount_ = value.toReal();
    update();
  });
  connect(this, &QAbstractButton::pressed, this, [this] { animatePress(true); });
  connect(this, &QAbstractButton::released, this, [this] { animatePress(false); });
}

void StyledButton::setButtonStyle(const ButtonStyle& style) {
  // Only a change of `fillsWidth` touches the size policy, so a layout's
  // own policy (equal alert buttons) survives a change of look.
  if (style.fillsWidth != style_.fillsWidth)
    setSizePolicy(style.fillsWidth ? QSizePolicy::Expanding : QSizePolicy::Fixed, QSizePolicy::Fixed);
  style_ = style;
  setFont(style.font);
  updateGeometry();
  update();
}

void StyledButton::setSymbol(const QString& name, double pointSize, FontWeight weight) {
  symbolName_ = name;
  symbolSize_ = pointSize;
  symbolWeight_ = weight;
  updateGeometry();
  update();
}

void StyledButton::animatePress(bool down) {
  const qreal target = down ? 1.0 : 0.0;
  pressAnimation_->stop();
  if (style_.pressAnimationMs <= 0) {
    pressAmount_ = target;
    update();
    return;
  }
  pressAnimation_->setDuration(style_.pressAnimationMs);
  pressAnimation_->setStartValue(pressAmount_);
  pressAnimation_->setEndValue(target);
  pressAnimation_->start();
}

double StyledButton::symbolPointSize() const { return symbolSize_ > 0 ? symbolSize_ : style_.font.pixelSize(); }

QSizeF StyledButton::labelSize() const {
  const QFontMetricsF metrics(style_.font);
  qreal width = text().isEmpty() ? 0 : metrics.horizontalAdvance(text());
  qreal height = metrics.height();
  if (!symbolName_.isEmpty()) {
    const qreal side = SymbolIcon(symbolName_, symbolPointSize(), {}).side();
    width += side + (text().isEmpty() ? 0 : style_.symbolSpacing);
    height = std::max(height, side);
  }
  return {width, height};
}

QSize StyledButton::sizeHint() const {
  const QSizeF label = labelSize();
  const QMargins& padding = style_.background.padding;
  return {static_cast<int>(std::ceil(label.width())) + padding.left() + padding.right(),
          static_cast<int>(std::ceil(label.height())) + padding.top() + padding.bottom()};
}

void StyledButton::hideEvent(QHideEvent* event) {
  // Qt would pass focus on to the next widget, and a text field given focus
  // that way selects all its text: the next keystroke would replace it.
  if (hasFocus() && parentWidget()) parentWidget()->setFocus(Qt::OtherFocusReason);
  QAbstractButton::hideEvent(event);
}

void StyledButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  if (style_.dimsWhenDisabled && !isEnabled()) painter.setOpacity(0.45);

  const QPointF centre = QRectF(rect()).center();
  const qreal scale = lerp(1.0, style_.pressedScale, pressAmount_);
  painter.translate(centre);
  painter.scale(scale, scale);
  painter.translate(-centre);

  BoxStyle background = style_.background;
  if (style_.pressedFill) background.fill = blend(background.fill, *style_.pressedFill, pressAmount_);
  painter.save();
  painter.setOpacity(painter.opacity() * lerp(1.0, style_.pressedBackgroundOpacity, pressAmount_));
  paintBox(painter, rect(), background);
  painter.restore();

  const QRectF content = QRectF(rect()).marginsRemoved(background.padding.toMarginsF());
  const QSizeF label = labelSize();
  const qreal left = style_.fillsWidth ? content.left() : content.center().x() - label.width() / 2;
  qreal x = left;
  if (!symbolName_.isEmpty()) {
    const SymbolIcon symbol(symbolName_, symbolPointSize(), style_.textColor, symbolWeight_);
    symbol.paint(painter, QRectF(QPointF(x, content.center().y() - symbol.side() / 2), symbol.size()));
    x += symbol.side() + style_.symbolSpacing;
  }
  if (!text().isEmpty()) {
    painter.setFont(style_.font);
    painter.setPen(style_.textColor);
    painter.drawText(QRectF(x, content.top(), content.right() - x, content.height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
  }
  if (showsFocusRing(*this)) paintFocusRing(painter, rect(), background.cornerRadius);
}

}  // namespace ui
