#include "GuiTest.hpp"

#include "ui/LabeledSlider.hpp"
#include "ui/PopUpPicker.hpp"
#include "ui/SegmentedPicker.hpp"
#include "ui/StepSlider.hpp"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace ui;

struct ModePicker {
  SegmentedPicker picker{{"Write", "AI Agent", "Voice Agent"}};
  QSignalSpy activated{&picker, &SegmentedPicker::activated};
  QSignalSpy changed{&picker, &SegmentedPicker::currentIndexChanged};
  ModePicker() {
    picker.setTitle("Mode");
    picker.resize(420, 30);
  }
};

TEST(SegmentedPicker, ShowsItsOptionsInOrderWithTheFirstChosen) {
  ModePicker m;
  EXPECT_EQ(m.picker.options(), QStringList({"Write", "AI Agent", "Voice Agent"}));
  EXPECT_EQ(m.picker.currentIndex(), 0);
  // Segments share the width after the title, left to right.
  EXPECT_LT(m.picker.segmentRect(0).right(), m.picker.segmentRect(1).left() + 1);
  EXPECT_LT(m.picker.segmentRect(1).right(), m.picker.segmentRect(2).left() + 1);
  EXPECT_GT(m.picker.segmentRect(0).left(), 20);
  EXPECT_NEAR(m.picker.segmentRect(2).right(), 419, 1);
}

TEST(SegmentedPicker, ClickingASegmentChoosesItAndReportsTheChoice) {
  ModePicker m;
  QTest::mouseClick(&m.picker, Qt::LeftButton, {}, m.picker.segmentRect(1).center());
  EXPECT_EQ(m.picker.currentIndex(), 1);
  ASSERT_EQ(m.activated.count(), 1);
  EXPECT_EQ(m.activated[0][0].toInt(), 1);
  ASSERT_EQ(m.changed.count(), 1);
  // Clicking the chosen segment again is still the user's choice, not a change.
  QTest::mouseClick(&m.picker, Qt::LeftButton, {}, m.picker.segmentRect(1).center());
  EXPECT_EQ(m.activated.count(), 2);
  EXPECT_EQ(m.changed.count(), 1);
  // The title is not a segment.
  QTest::mouseClick(&m.picker, Qt::LeftButton, {}, QPoint(3, 15));
  EXPECT_EQ(m.activated.count(), 2);
}

// The popover puts the previous mode back from code while it asks first; that
// is a change of the picker but not the user's choice.
TEST(SegmentedPicker, SettingFromCodeIsAChangeButNotAChoice) {
  ModePicker m;
  m.picker.setCurrentIndex(2);
  m.picker.setCurrentIndex(7);
  m.picker.setCurrentIndex(-1);
  EXPECT_EQ(m.picker.currentIndex(), 2);
  EXPECT_EQ(m.changed.count(), 1);
  EXPECT_EQ(m.activated.count(), 0);
}

TEST(SegmentedPicker, ArrowKeysMoveTheChoiceWithinTheOptions) {
  ModePicker m;
  QTest::keyClick(&m.picker, Qt::Key_Left);
  EXPECT_EQ(m.picker.currentIndex(), 0);
  QTest::keyClick(&m.picker, Qt::Key_Right);
  QTest::keyClick(&m.picker, Qt::Key_Right);
  QTest::keyClick(&m.picker, Qt::Key_Right);
  EXPECT_EQ(m.picker.currentIndex(), 2);
  EXPECT_EQ(m.activated.count(), 2);
}

TEST(PopUpPicker, EntriesCarryTheirTags) {
  PopUpPicker scenario;
  scenario.addItem("Professional", "professional");
  scenario.addItem("Casual", "casual");
  EXPECT_EQ(scenario.currentData().toString(), "professional");
  scenario.setCurrentTag("casual");
  EXPECT_EQ(scenario.currentText(), "Casual");
  scenario.setCurrentTag("furious");
  EXPECT_EQ(scenario.currentData().toString(), "casual");
  EXPECT_GT(scenario.sizeHint().width(), QFontMetrics(scenario.font()).horizontalAdvance("Professional") + 16);
  EXPECT_FALSE(gui_test::isBlank(gui_test::render(scenario)));
}

TEST(StepSlider, ValuesSnapToTheNearestStepInsideTheRange) {
  const struct {
    double minimum, maximum, step, input, expected;
  } cases[] = {
      {0, 2, 1, 1.5, 2},         {0, 2, 1, 0.4, 0},          {0, 4, 1, 3.49, 3},
      {0, 4, 1, 9, 4},           {0, 4, 1, -3, 0},           {10, 120, 5, 31, 30},
      {10, 120, 5, 32.5, 35},    {10, 120, 5, 119, 120},     {256, 8192, 256, 2000, 2048},
      {256, 8192, 256, 100, 256}, {256, 8192, 256, 8191, 8192},
  };
  for (const auto& entry : cases) {
    StepSlider slider(entry.minimum, entry.maximum, entry.step);
    slider.setValue(entry.input);
    EXPECT_EQ(slider.value(), entry.expected) << entry.input << " in " << entry.minimum << "..." << entry.maximum;
  }
}

TEST(StepSlider, StepCountsMatchTheRanges) {
  EXPECT_EQ(StepSlider(0, 2, 1).stepCount(), 2);
  EXPECT_EQ(StepSlider(0, 4, 1).stepCount(), 4);
  EXPECT_EQ(StepSlider(10, 120, 5).stepCount(), 22);
  EXPECT_EQ(StepSlider(256, 8192, 256).stepCount(), 31);
  EXPECT_EQ(StepSlider(256, 8192, 256).maximum(), 8192);
}

TEST(StepSlider, ReportsEveryChangeOnceAndIgnoresNonNumbers) {
  StepSlider slider(0, 4, 1);
  QSignalSpy changes(&slider, &StepSlider::valueChanged);
  slider.setValue(2);
  slider.setValue(2.2);
  slider.setValue(std::nan(""));
  ASSERT_EQ(changes.count(), 1);
  EXPECT_EQ(changes[0][0].toDouble(), 2);
  EXPECT_EQ(slider.value(), 2);
}

TEST(StepSlider, MouseAndKeysMoveByWholeSteps) {
  StepSlider slider(0, 4, 1);
  slider.resize(216, 26);
  QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(qRound(slider.positionOfStep(3)) + 4, 10));
  EXPECT_EQ(slider.value(), 3);
  QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(215, 10));
  EXPECT_EQ(slider.value(), 4);
  QTest::keyClick(&slider, Qt::Key_Left);
  EXPECT_EQ(slider.value(), 3);
  QTest::keyClick(&slider, Qt::Key_Home);
  EXPECT_EQ(slider.value(), 0);
  QTest::keyClick(&slider, Qt::Key_Down);
  EXPECT_EQ(slider.value(), 0);
  QTest::keyClick(&slider, Qt::Key_End);
  EXPECT_EQ(slider.value(), 4);
}

TEST(LabeledSlider, ValueTextFollowsTheSlider) {
  const QStringList lengths{"Brief", "Medium", "Detailed"};
  auto* length = new StepSlider(0, 2, 1);
  length->setValue(1);
  LabeledSlider row("Length:", length, [&](double value) { return lengths.value(int(value), "Medium"); }, 70);
  EXPECT_EQ(row.valueLabel()->text(), "Medium");
  EXPECT_EQ(row.valueLabel()->width(), 70);
  EXPECT_TRUE(row.valueLabel()->alignment() & Qt::AlignRight);
  EXPECT_NE(gui_test::findByText(row, "Length:"), nullptr);
  length->setValue(0);
  EXPECT_EQ(row.valueLabel()->text(), "Brief");
  length->setValue(2);
  EXPECT_EQ(row.valueLabel()->text(), "Detailed");

  auto* timeout = new StepSlider(10, 120, 5);
  LabeledSlider caption(timeout, [](double value) { return QString("Timeout (seconds): %1").arg(int(value)); });
  timeout->setValue(30);
  EXPECT_EQ(caption.valueLabel()->text(), "Timeout (seconds): 30");
}

}  // namespace
