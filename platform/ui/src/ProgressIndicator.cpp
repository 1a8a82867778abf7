#include "ui/ProgressIndicator.hpp"

#include "ui/Palette.hpp"
#include "ui/Text.hpp"
#include "ui/Typography.hpp"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <QVariantAnimation>

namespace ui {
namespace {

constexpr int kTrackHeight = 6;
constexpr qreal kStripeShare = 0.3;

}  // namespace

ProgressIndicator::ProgressIndicator(const QString& label, QWidget* parent)
    : QWidget(parent), label_(makeText(label, ui::font(TextStyle::body), color::label(), this)), sweep_(new QVariantAnimation(this)) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, kTrackHeight + 2);
  column->setSpacing(0);
  column->addWidget(label_);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  sweep_->setStartValue(0.0);
  sweep_->setEndValue(1.0);
  sweep_->setDuration(1200);
  sweep_->setLoopCount(-1);
  connect(sweep_, &QVariantAnimation::valueChanged, this, [this] { update(trackRect().toAlignedRect()); });
}

void ProgressIndicator::setLabel(const QString& label) { label_->setText(label); }

QString ProgressIndicator::label() const { return label_->text(); }

bool ProgressIndicator::isAnimating() const { return sweep_->state() == QAbstractAnimation::Running; }

QRectF ProgressIndicator::trackRect() const { return QRectF(0, height() - kTrackHeight - 1, width(), kTrackHeight); }

void ProgressIndicator::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  sweep_->start();
}

void ProgressIndicator::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  sweep_->stop();
}

void ProgressIndicator::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF track = trackRect();
  const qreal radius = track.height() / 2;
  painter.setPen(Qt::NoPen);
  painter.setBrush(color::systemFill());
  painter.drawRoundedRect(track, radius, radius);
  // The stripe enters from the left and leaves on the right.
  const qreal stripe = track.width() * kStripeShare;
  const qreal left = track.left() - stripe + (track.width() + stripe) * sweep_->currentValue().toReal();
  painter.setClipRect(track);
  painter.setBrush(color::accent());
  painter.drawRoundedRect(QRectF(left, track.top(), stripe, track.height()), radius, radius);
}

}  // namespace ui
