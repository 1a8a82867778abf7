#include "compose_views/DraftStyleControlsView.hpp"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "compose/DraftStyle.hpp"

namespace quorbel::views {

namespace {

QSlider* stepSlider(int maximum, QWidget* parent) {
  auto* slider = new QSlider(Qt::Horizontal, parent);
  slider->setRange(0, maximum);
  slider->setSingleStep(1);
  slider->setPageStep(1);
  return slider;
}

// A slider bound to an integer field, with the label of its position.
void bindSlider(Bindings& bindings, QSlider* slider, QLabel* label, platform::Published<int>& field,
                std::string_view (*labelFor)(int)) {
  bindings.observe<int>(field, [slider, label, labelFor](int value) {
    if (slider->value() != value) slider->setValue(value);
    label->setText(QString::fromUtf8(labelFor(value).data(), labelFor(value).size()));
  });
  QObject::connect(slider, &QSlider::valueChanged, slider, [&field](int value) {
    if (field.get() != value) field = value;
  });
}

}  // namespace

DraftStyleControlsView::DraftStyleControlsView(MailPopoverModel& popover, QWidget* parent) : QWidget(parent) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(10);

  auto* firstRow = new QHBoxLayout();
  firstRow->setContentsMargins(0, 5, 0, 0);
  firstRow->addWidget(new QLabel("Scenario:", this));
  scenario_ = new QComboBox(this);
  scenario_->setAccessibleName("Scenario");
  scenario_->addItem("Professional", "professional");
  scenario_->addItem("Casual", "casual");
  firstRow->addWidget(scenario_);
  firstRow->addStretch();
  firstRow->addWidget(new QLabel("Length:", this));
  length_ = stepSlider(2, this);
  firstRow->addWidget(length_);
  lengthLabel_ = new QLabel(this);
  lengthLabel_->setFixedWidth(70);
  lengthLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  firstRow->addWidget(lengthLabel_);
  column->addLayout(firstRow);

  auto* secondRow = new QHBoxLayout();
  secondRow->setContentsMargins(0, 5, 0, 5);
  secondRow->addWidget(new QLabel("Emotion:", this));
  emotion_ = stepSlider(4, this);
  secondRow->addWidget(emotion_);
  emotionLabel_ = new QLabel(this);
  emotionLabel_->setFixedWidth(100);
  emotionLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  secondRow->addWidget(emotionLabel_);
  secondRow->addStretch();
  column->addLayout(secondRow);

  bindings_.observe<std::string>(popover.scenario, [this](const std::string& value) {
    int index = scenario_->findData(QString::fromStdString(value));
    if (index >= 0 && index != scenario_->currentIndex()) scenario_->setCurrentIndex(index);
  });
  connect(scenario_, &QComboBox::currentIndexChanged, this, [this, &popover](int index) {
    auto value = scenario_->itemData(index).toString().toStdString();
    if (popover.scenario.get() != value) popover.scenario = value;
  });
  bindSlider(bindings_, length_, lengthLabel_, popover.draftLengthValue, &quorbel::lengthLabel);
  bindSlider(bindings_, emotion_, emotionLabel_, popover.emotionLevel, &quorbel::emotionLabel);
}

}  // namespace quorbel::views
