#include "GuiTest.hpp"

#include "ui/DisclosureGroup.hpp"
#include "ui/Palette.hpp"
#include "ui/Switch.hpp"

#include <QAbstractButton>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

using namespace ui;

TEST(Switch, ClickTogglesAndReportsEachChange) {
  Switch toggle;
  toggle.resize(toggle.sizeHint());
  QSignalSpy toggled(&toggle, &QAbstractButton::toggled);
  QTest::mouseClick(&toggle, Qt::LeftButton);
  EXPECT_TRUE(toggle.isChecked());
  QTest::mouseClick(&toggle, Qt::LeftButton);
  EXPECT_FALSE(toggle.isChecked());
  ASSERT_EQ(toggled.count(), 2);
  EXPECT_TRUE(toggled[0][0].toBool());
  EXPECT_FALSE(toggled[1][0].toBool());
}

TEST(Switch, SpaceTogglesAndDisabledIgnoresInput) {
  Switch toggle;
  toggle.resize(toggle.sizeHint());
  QTest::keyClick(&toggle, Qt::Key_Space);
  EXPECT_TRUE(toggle.isChecked());
  toggle.setEnabled(false);
  QTest::mouseClick(&toggle, Qt::LeftButton);
  EXPECT_TRUE(toggle.isChecked());
}

// Setting the bound value from outside moves the knob and the colour.
TEST(Switch, OnIsAccentFilledAndTheKnobFollowsOutsideChanges) {
  Switch toggle;
  const QImage off = gui_test::render(toggle);
  EXPECT_EQ(gui_test::countPixelsNear(off, color::accent(), 2), 0);
  toggle.setChecked(true);
  EXPECT_EQ(toggle.knobPosition(), 1.0);
  const QImage on = gui_test::render(toggle);
  EXPECT_GT(gui_test::countPixelsNear(on, color::accent(), 2), 100);
  // The white knob sits at the trailing end.
  EXPECT_EQ(on.pixelColor(on.width() - 12, on.height() / 2), QColor(Qt::white));
  EXPECT_EQ(off.pixelColor(12, off.height() / 2), QColor(Qt::white));
}

TEST(Switch, KnobSlidesWhileShown) {
  Switch toggle;
  gui_test::showAndWait(toggle);
  toggle.setChecked(true);
  EXPECT_LT(toggle.knobPosition(), 1.0);
  EXPECT_TRUE(gui_test::waitUntil([&] { return toggle.knobPosition() == 1.0; }));
}

struct Group {
  DisclosureGroup group{"Customize Draft"};
  QLabel* content = new QLabel("Your instructions...");
  Group() {
    group.contentLayout()->addWidget(content);
    group.resize(300, 200);
  }
};

TEST(DisclosureGroup, StartsFoldedAndHeaderClicksToggle) {
  Group g;
  EXPECT_FALSE(g.group.isExpanded());
  EXPECT_TRUE(g.group.content()->isHidden());
  QSignalSpy changes(&g.group, &DisclosureGroup::expandedChanged);
  QTest::mouseClick(g.group.header(), Qt::LeftButton);
  EXPECT_TRUE(g.group.isExpanded());
  EXPECT_FALSE(g.group.content()->isHidden());
  QTest::mouseClick(g.group.header(), Qt::LeftButton);
  EXPECT_FALSE(g.group.isExpanded());
  ASSERT_EQ(changes.count(), 2);
  EXPECT_TRUE(changes[0][0].toBool());
  EXPECT_FALSE(changes[1][0].toBool());
}

// Bound to outside state: setting it reports a change once, and setting the
// value it already has reports nothing (so a binding cannot loop).
TEST(DisclosureGroup, SetExpandedReportsOnlyRealChanges) {
  Group g;
  QSignalSpy changes(&g.group, &DisclosureGroup::expandedChanged);
  g.group.setExpanded(false);
  EXPECT_EQ(changes.count(), 0);
  g.group.setExpanded(true);
  g.group.setExpanded(true);
  EXPECT_EQ(changes.count(), 1);
  QTest::keyClick(g.group.header(), Qt::Key_Space);
  EXPECT_FALSE(g.group.isExpanded());
  EXPECT_EQ(changes.count(), 2);
}

TEST(DisclosureGroup, UnfoldsWithAnimationWhenShownAndInstantlyWhenNot) {
  Group g;
  gui_test::showAndWait(g.group);
  g.group.setExpanded(true);
  EXPECT_TRUE(g.group.isExpanded());
  EXPECT_TRUE(gui_test::waitUntil([&] { return g.group.content()->maximumHeight() == QWIDGETSIZE_MAX; }));
  EXPECT_TRUE(g.group.content()->isVisible());
  g.group.setExpanded(false);
  EXPECT_TRUE(gui_test::waitUntil([&] { return g.group.content()->isHidden(); }));

  g.group.setAnimated(false);
  g.group.setExpanded(true);
  EXPECT_EQ(g.group.content()->maximumHeight(), QWIDGETSIZE_MAX);
}

// Folding back before the unfolding has finished ends folded.
TEST(DisclosureGroup, ReversingMidwayEndsInTheLastState) {
  Group g;
  gui_test::showAndWait(g.group);
  g.group.setExpanded(true);
  g.group.setExpanded(false);
  EXPECT_TRUE(gui_test::waitUntil([&] { return g.group.content()->isHidden(); }));
  EXPECT_TRUE(gui_test::waitUntilAnimationsEnd(g.group));
  EXPECT_TRUE(g.group.content()->isHidden());
}

}  // namespace
