#include "ui/PopUpPicker.hpp"

#include "ui/BoxStyle.hpp"
#include "ui/ContinuousRoundedRect.hpp"
#include "ui/FocusRing.hpp"
#include "ui/Palette.hpp"
#include "ui/SymbolIcon.hpp"
#include "ui/Typography.hpp"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace ui {
namespace {

constexpr qreal kHeight = 22;
constexpr qreal kArrowBox = 16;
constexpr qreal kTextInset = 8;

}  // namespace

PopUpPicker::PopUpPicker(QWidget* parent) : QComboBox(parent) {
  setFont(ui::font(TextStyle::body));
  setSizeAdjustPolicy(QComboBox::AdjustToContents);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PopUpPicker::setCurrentTag(const QVariant& tag) {
  const int index = findData(tag);
  if (index >= 0) setCurrentIndex(index);
}

QSize PopUpPicker::sizeHint() const {
  const QFontMetricsF metrics(font());
  qreal widest = 0;
  for (int index = 0; index < count(); ++index) widest = std::max(widest, metrics.horizontalAdvance(itemText(index)));
  return {static_cast<int>(std::ceil(kTextInset + widest + 10 + kArrowBox + 3)), static_cast<int>(kHeight) + 2};
}

void PopUpPicker::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  if (!isEnabled()) painter.setOpacity(0.45);
  const QRectF bezel(0.5, (height() - kHeight) / 2, width() - 1, kHeight);

  painter.fillPath(continuousRoundedRect(bezel.translated(0, 0.5), 5), color::withOpacity(color::black(), 0.1));
  paintBox(painter, bezel, {color::controlBackground(), color::withOpacity(color::black(), 0.12), 0.5, 5, {}});

  const QRectF arrow(bezel.right() - kArrowBox - 3, bezel.top() + 3, kArrowBox, bezel.height() - 6);
  painter.fillPath(continuousRoundedRect(arrow, 4), color::accent());
  SymbolIcon("chevron.up.chevron.down", 9, color::textOnAccent(), FontWeight::bold)
      .paint(painter, QRectF(arrow.center() - QPointF(6, 6), QSizeF(12, 12)));

  painter.setPen(color::label());
  painter.drawText(QRectF(bezel.left() + kTextInset, bezel.top(), arrow.left() - bezel.left() - kTextInset - 4, bezel.height()),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, currentText());
  if (showsFocusRing(*this)) paintFocusRing(painter, bezel, 5);
}

}  // namespace ui
