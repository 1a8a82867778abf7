#include "ui/LabeledSlider.hpp"

#include "ui/Palette.hpp"
#include "ui/StepSlider.hpp"
#include "ui/Text.hpp"
#include "ui/Typography.hpp"

#include <QBoxLayout>
#include <QLabel>

namespace ui {

LabeledSlider::LabeledSlider(const QString& title, StepSlider* slider, ValueText valueText, int valueWidth, QWidget* parent)
    : QWidget(parent), slider_(slider), valueLabel_(new QLabel(this)), valueText_(std::move(valueText)) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  if (!title.isEmpty()) row->addWidget(makeText(title, ui::font(TextStyle::body), color::label(), this));
  row->addWidget(slider_, 1);
  valueLabel_->setFixedWidth(valueWidth);
  valueLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  row->addWidget(valueLabel_);
  connect(slider_, &StepSlider::valueChanged, this, &LabeledSlider::showValue);
  showValue();
}

LabeledSlider::LabeledSlider(StepSlider* slider, ValueText valueText, QWidget* parent)
    : QWidget(parent), slider_(slider), valueLabel_(new QLabel(this)), valueText_(std::move(valueText)) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(4);
  valueLabel_->setFont(ui::font(TextStyle::caption));
  setForeground(valueLabel_, color::secondaryLabel());
  column->addWidget(valueLabel_);
  column->addWidget(slider_);
  connect(slider_, &StepSlider::valueChanged, this, &LabeledSlider::showValue);
  showValue();
}

void LabeledSlider::showValue() { valueLabel_->setText(valueText_(slider_->value())); }

}  // namespace ui
