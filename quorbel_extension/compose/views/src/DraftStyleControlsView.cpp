#include "compose_views/DraftStyleControlsView.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <cmath>

#include "compose/DraftStyle.hpp"
#include "compose_views/FlowLayout.hpp"
#include "ui/Palette.hpp"
#include "ui/StepSlider.hpp"
#include "ui/Text.hpp"
#include "ui/Typography.hpp"

namespace quorbel::views {

namespace {

// Below this the three steps are hard to hit; the length then takes a line
// of its own.
constexpr int kShortestLengthSlider = 80;

// A stepped slider for an integer field, titled, with the label of its
// position in a fixed-width column. The slider's number is stored rounded to
// the nearest step.
ui::LabeledSlider* integerSlider(Bindings& bindings, const QString& title, int maximum, int labelWidth,
                                 platform::Published<int>& field, std::string_view (*labelFor)(int), QWidget* parent) {
  auto* slider = new ui::StepSlider(0, maximum, 1);
  auto* labeled = new ui::LabeledSlider(
      title, slider,
      [labelFor](double value) {
        auto label = labelFor(static_cast<int>(std::lround(value)));
        return QString::fromUtf8(label.data(), static_cast<int>(label.size()));
      },
      labelWidth, parent);
  bindings.observe<int>(field, [slider](int value) { slider->setValue(value); });
  QObject::connect(slider, &ui::StepSlider::valueChanged, slider, [&field](double value) {
    int step = static_cast<int>(std::lround(value));
    if (field.get() != step) field = step;
  });
  return labeled;
}

}  // namespace

DraftStyleControlsView::DraftStyleControlsView(MailPopoverModel& popover, QWidget* parent) : QWidget(parent) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(10);

  // The scenario and the length share a row while the popover is wide
  // enough for both; in a narrow one the length moves to a line of its own.
  auto* firstRow = new FlowLayout(10);
  firstRow->setContentsMargins(0, 5, 0, 0);
  auto* scenarioGroup = new QWidget(this);
  auto* scenarioRow = new QHBoxLayout(scenarioGroup);
  scenarioRow->setContentsMargins(0, 0, 0, 0);
  scenarioRow->addWidget(ui::makeText("Scenario:", ui::font(ui::TextStyle::body), ui::color::label(), scenarioGroup));
  scenario_ = new ui::PopUpPicker(scenarioGroup);
  scenario_->setAccessibleName("Scenario");
  scenario_->addItem("Professional", "professional");
  scenario_->addItem("Casual", "casual");
  scenarioRow->addWidget(scenario_);
  firstRow->addWidget(scenarioGroup);
  length_ = integerSlider(bindings_, "Length:", 2, 70, popover.draftLengthValue, &quorbel::lengthLabel, this);
  length_->slider()->setMinimumWidth(kShortestLengthSlider);
  firstRow->addWidget(length_);
  column->addLayout(firstRow);

  auto* secondRow = new QHBoxLayout();
  secondRow->setContentsMargins(0, 5, 0, 5);
  emotion_ = integerSlider(bindings_, "Emotion:", 4, 100, popover.emotionLevel, &quorbel::emotionLabel, this);
  secondRow->addWidget(emotion_, 1);
  secondRow->addStretch();
  column->addLayout(secondRow);

  bindings_.observe<std::string>(popover.scenario, [this](const std::string& value) {
    scenario_->setCurrentTag(QString::fromStdString(value));
  });
  connect(scenario_, &QComboBox::currentIndexChanged, this, [this, &popover](int index) {
    auto value = scenario_->itemData(index).toString().toStdString();
    if (popover.scenario.get() != value) popover.scenario = value;
  });
}

}  // namespace quorbel::views
