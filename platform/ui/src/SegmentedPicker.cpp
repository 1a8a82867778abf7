#include "ui/SegmentedPicker.hpp"

#include "ui/ContinuousRoundedRect.hpp"
#include "ui/FocusRing.hpp"
#include "ui/Palette.hpp"
#include "ui/Typography.hpp"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace ui {
namespace {

constexpr qreal kHeight = 24;
constexpr qreal kTitleGap = 8;
constexpr qreal kSegmentPadding = 12;

}  // namespace

SegmentedPicker::SegmentedPicker(const QStringList& options, QWidget* parent) : QWidget(parent), options_(options) {
  setFont(ui::font(TextStyle::body));
  setFocusPolicy(Qt::TabFocus);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SegmentedPicker::setTitle(const QString& title) {
  title_ = title;
  updateGeometry();
  update();
}

void SegmentedPicker::setCurrentIndex(int index) {
  if (index < 0 || index >= options_.size() || index == current_) return;
  current_ = index;
  update();
  emit currentIndexChanged(index);
}

void SegmentedPicker::choose(int index) {
  if (index < 0 || index >= options_.size()) return;
  setCurrentIndex(index);
  emit activated(index);
}

qreal SegmentedPicker::titleWidth() const {
  return title_.isEmpty() ? 0 : QFontMetricsF(font()).horizontalAdvance(title_) + kTitleGap;
}

QRectF SegmentedPicker::trackRect() const {
  return QRectF(titleWidth(), (height() - kHeight) / 2, width() - titleWidth(), kHeight);
}

QRect SegmentedPicker::segmentRect(int index) const {
  const QRectF track = trackRect();
  const qreal width = track.width() / std::max<qsizetype>(1, options_.size());
  return QRectF(track.left() + index * width, track.top(), width, track.height()).toAlignedRect();
}

QSize SegmentedPicker::sizeHint() const {
  const QFontMetricsF metrics(font());
  qreal widest = 0;
  for (const auto& option : options_) widest = std::max(widest, metrics.horizontalAdvance(option));
  return {static_cast<int>(std::ceil(titleWidth() + options_.size() * (widest + 2 * kSegmentPadding))),
          static_cast<int>(kHeight) + 2};
}

QSize SegmentedPicker::minimumSizeHint() const { return sizeHint(); }

void SegmentedPicker::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  if (!isEnabled()) painter.setOpacity(0.45);
  const QRectF track = trackRect();

  if (!title_.isEmpty()) {
    painter.setPen(color::label());
    painter.drawText(QRectF(0, 0, titleWidth(), height()), Qt::AlignLeft | Qt::AlignVCenter, title_);
  }
  painter.fillPath(continuousRoundedRect(track, 6), color::withOpacity(color::black(), 0.06));

  for (int index = 0; index < options_.size(); ++index) {
    const QRectF segment = QRectF(segmentRect(index)).intersected(track);
    const bool chosen = index == current_;
    if (chosen) {
      const QRectF raised = segment.adjusted(2, 2, -2, -2);
      painter.fillPath(continuousRoundedRect(raised.translated(0, 0.5), 5), color::withOpacity(color::black(), 0.12));
      painter.fillPath(continuousRoundedRect(raised, 5), color::controlBackground());
    } else if (index + 1 < options_.size() && index + 1 != current_) {
      // Hairlines part neighbouring segments that aren't beside the raised one.
      painter.fillRect(QRectF(segment.right() - 0.5, segment.top() + 6, 1, segment.height() - 12), color::separator());
    }
    painter.setPen(chosen ? color::label() : color::withOpacity(color::label(), 0.8));
    painter.drawText(segment, Qt::AlignCenter | Qt::TextSingleLine, options_[index]);
  }
  if (showsFocusRing(*this)) paintFocusRing(painter, track, 6);
}

void SegmentedPicker::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  for (int index = 0; index < options_.size(); ++index)
    if (segmentRect(index).contains(event->position().toPoint())) choose(index);
}

void SegmentedPicker::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Left) choose(current_ - 1);
  else if (event->key() == Qt::Key_Right) choose(current_ + 1);
  else QWidget::keyPressEvent(event);
}

}  // namespace ui
