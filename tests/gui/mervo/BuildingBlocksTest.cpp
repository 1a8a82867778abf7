#include <QLabel>
#include <QVBoxLayout>
#include <QTest>

#include <gtest/gtest.h>

#include "MervoGuiTest.hpp"
#include "app_views/SettingsCard.hpp"
#include "app_views/ToggleRow.hpp"
#include "ui/Palette.hpp"
#include "ui/SymbolLabel.hpp"

namespace {

using mervo::views::SettingsCard;
using mervo::views::ToggleRow;

TEST(ToggleRow, TheSwitchAndTheFlagFollowEachOther) {
  platform::Published<bool> flag{false};
  int changes = 0;
  auto subscription = flag.onChange([&](bool) { ++changes; });
  ToggleRow row("Use Custom System Prompt", "Override default AI behavior", flag, false);
  gui_test::showAndWait(row);
  QTest::mouseClick(row.toggle(), Qt::LeftButton);
  EXPECT_TRUE(*flag);
  EXPECT_EQ(changes, 1);
  flag = false;
  EXPECT_FALSE(row.toggle()->isChecked());
  flag = true;
  EXPECT_TRUE(row.toggle()->isChecked());
}

TEST(ToggleRow, ALongDescriptionWrapsAndTheSwitchStaysAtTheTrailingEdge) {
  platform::Published<bool> flag{true};
  ToggleRow row("Title", QString("A description that goes on ").repeated(8), flag, false);
  row.resize(360, row.heightForWidth(360) > 0 ? row.heightForWidth(360) : row.sizeHint().height());
  gui_test::render(row, QSize(360, 200));
  auto* description = row.findChildren<QLabel*>().value(1);
  ASSERT_NE(description, nullptr);
  EXPECT_TRUE(description->wordWrap());
  EXPECT_GT(description->height(), 2 * description->fontMetrics().height());
  EXPECT_EQ(row.toggle()->geometry().right(), 359);
}

TEST(ToggleRow, FontsFollowTheCompactSwitch) {
  platform::Published<bool> flag{false};
  for (bool compact : {true, false}) {
    ToggleRow row("Title", "Description", flag, compact);
    auto labels = row.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 2);
    EXPECT_EQ(labels[0]->font().pixelSize(), compact ? 14 : 16);
    EXPECT_EQ(labels[1]->font().pixelSize(), compact ? 12 : 14);
    EXPECT_EQ(labels[1]->palette().color(QPalette::WindowText), ui::color::secondaryLabel());
  }
}

TEST(SettingsCard, PaddingFollowsTheCompactSwitchAndTheHeaderDoesNot) {
  for (bool compact : {true, false}) {
    SCOPED_TRACE(compact ? "compact" : "regular");
    SettingsCard card("Features", "star.fill", new QWidget, compact);
    const int padding = compact ? 20 : 24;
    EXPECT_EQ(card.boxStyle().padding, QMargins(padding, padding, padding, padding));
    EXPECT_EQ(card.boxStyle().cornerRadius, 8);
    EXPECT_EQ(card.boxStyle().fill, ui::color::controlBackground());
    EXPECT_EQ(card.boxStyle().stroke, ui::color::separator());
    EXPECT_EQ(card.boxStyle().strokeWidth, 1);
    EXPECT_EQ(card.contentLayout()->spacing(), 16);
    auto* icon = card.findChild<ui::SymbolLabel*>();
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->symbol().pointSize(), 16);
    EXPECT_EQ(icon->symbol().color(), ui::color::blue());
    auto* title = qobject_cast<QLabel*>(gui_test::findByText(card, "Features"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->font().pixelSize(), 18);
    EXPECT_EQ(title->font().weight(), QFont::DemiBold);
    // The content sits inside the padding.
    card.resize(400, 200);
    gui_test::render(card, QSize(400, 200));
    EXPECT_EQ(card.content()->x(), padding);
  }
}

}  // namespace
