#include "ui/LineLimitedText.hpp"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace ui {

LineLimitedText::LineLimitedText(const QString& text, const QFont& font, const QColor& color, int lineLimit, QWidget* parent)
    : QWidget(parent), text_(text), color_(color), lineLimit_(std::max(1, lineLimit)) {
  setFont(font);
  QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  policy.setHeightForWidth(true);
  setSizePolicy(policy);
}

void LineLimitedText::setText(const QString& text) {
  text_ = text;
  updateGeometry();
  update();
}

QStringList LineLimitedText::visibleLines(int width) const {
  QStringList lines;
  if (text_.isEmpty() || width <= 0) return lines;
  QTextLayout layout(text_, font());
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    if (lines.size() + 1 == lineLimit_) {
      // The last allowed line takes the rest of the text, cut to fit.
      lines << QFontMetricsF(font()).elidedText(text_.mid(line.textStart()).simplified(), Qt::ElideRight, width);
      break;
    }
    lines << text_.mid(line.textStart(), line.textLength()).trimmed();
  }
  layout.endLayout();
  return lines;
}

int LineLimitedText::heightForWidth(int width) const {
  const auto lines = std::max<qsizetype>(1, visibleLines(width).size());
  return static_cast<int>(std::ceil(lines * QFontMetricsF(font()).lineSpacing()));
}

QSize LineLimitedText::sizeHint() const {
  const int width = static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(text_)));
  return {width, heightForWidth(width)};
}

QSize LineLimitedText::minimumSizeHint() const { return {0, heightForWidth(1)}; }

void LineLimitedText::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(color_);
  const qreal lineHeight = QFontMetricsF(font()).lineSpacing();
  qreal top = 0;
  for (const auto& line : visibleLines(width())) {
    painter.drawText(QRectF(0, top, width(), lineHeight), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, line);
    top += lineHeight;
  }
}

}  // namespace ui
