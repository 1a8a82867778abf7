#include "ui/DisclosureGroup.hpp"

#include "ui/FocusRing.hpp"
#include "ui/Palette.hpp"
#include "ui/SymbolIcon.hpp"
#include "ui/Typography.hpp"

#include <QAbstractButton>
#include <QFontMetricsF>
#include <QPainter>
#include <QVBoxLayout>
#include <QVariantAnimation>

namespace ui {
namespace {

// The header row: chevron, then the title, over the whole width.
class DisclosureHeader : public QAbstractButton {
 public:
  DisclosureHeader(const QString& title, QWidget* parent) : QAbstractButton(parent) {
    setText(title);
    setFont(ui::font(TextStyle::body));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFocusPolicy(Qt::TabFocus);
  }

  void setChevronTurn(qreal turn) {
    chevronTurn_ = turn;
    update();
  }
  void setTitleColor(const QColor& color) {
    titleColor_ = color;
    update();
  }

  QSize sizeHint() const override {
    const QFontMetricsF metrics(font());
    return QSizeF(kChevronBox + kGap + metrics.horizontalAdvance(text()), std::max(metrics.height(), kChevronBox) + 6)
        .toSize();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal middle = height() / 2.0;
    painter.save();
    painter.translate(kChevronBox / 2, middle);
    painter.rotate(90 * chevronTurn_);
    SymbolIcon("chevron.right", 9, color::secondaryLabel(), FontWeight::bold)
        .paint(painter, QRectF(-kChevronBox / 2, -kChevronBox / 2, kChevronBox, kChevronBox));
    painter.restore();
    painter.setPen(titleColor_);
    painter.drawText(QRectF(kChevronBox + kGap, 0, width() - kChevronBox - kGap, height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
    if (showsFocusRing(*this)) paintFocusRing(painter, rect(), 4);
  }

 private:
  static constexpr qreal kChevronBox = 12;
  static constexpr qreal kGap = 6;
  qreal chevronTurn_ = 0;
  QColor titleColor_ = color::label();
};

}  // namespace

DisclosureGroup::DisclosureGroup(const QString& title, QWidget* parent)
    : QWidget(parent),
      header_(new DisclosureHeader(title, this)),
      content_(new QWidget(this)),
      contentLayout_(new QVBoxLayout(content_)),
      unfold_(new QVariantAnimation(this)) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(6);
  column->addWidget(header_);
  column->addWidget(content_);
  contentLayout_->setContentsMargins(18, 0, 0, 0);
  unfold_->setDuration(200);
  unfold_->setEasingCurve(QEasingCurve::InOutQuad);
  connect(unfold_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) { showOpenness(value.toReal()); });
  connect(header_, &QAbstractButton::clicked, this, [this] { setExpanded(!expanded_); });
  showOpenness(0);
}

void DisclosureGroup::setTitleColor(const QColor& color) { static_cast<DisclosureHeader*>(header_)->setTitleColor(color); }

void DisclosureGroup::setExpanded(bool expanded) {
  if (expanded == expanded_) return;
  expanded_ = expanded;
  unfold_->stop();
  const qreal target = expanded ? 1.0 : 0.0;
  if (animated_ && isVisible()) {
    unfold_->setStartValue(openness_);
    unfold_->setEndValue(target);
    unfold_->start();
  } else {
    showOpenness(target);
  }
  emit expandedChanged(expanded);
}

// 0 is folded (content hidden), 1 unfolded (content at its natural height);
// in between the content is clipped to that share of its height.
void DisclosureGroup::showOpenness(qreal openness) {
  openness_ = openness;
  static_cast<DisclosureHeader*>(header_)->setChevronTurn(openness);
  content_->setVisible(openness > 0);
  content_->setMaximumHeight(openness >= 1 ? QWIDGETSIZE_MAX : static_cast<int>(content_->sizeHint().height() * openness));
}

}  // namespace ui
