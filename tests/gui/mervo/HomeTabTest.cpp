#include <QLabel>
#include <QVBoxLayout>
#include <QTest>

#include <gtest/gtest.h>

#include "MervoGuiTest.hpp"
#include "app/ProductWebsite.hpp"
#include "app_views/ContentView.hpp"
#include "app_views/HomeTab.hpp"
#include "app_views/SetupGuideCard.hpp"
#include "ui/StyledButton.hpp"

namespace {

using mervo::views::HomeTab;
using mervo::views::SetupGuideCard;

class HomeTabTest : public mervo_gui_test::MervoGuiTest {};

TEST_F(HomeTabTest, ShowsTheGuideThenTheWebsiteButtonAcrossTheWidth) {
  for (int width : {560, 900}) {
    SCOPED_TRACE(width);
    HomeTab home;
    home.resize(width, home.sizeHint().height());
    gui_test::showAndWait(home);
    auto* guide = home.findChild<SetupGuideCard*>();
    ASSERT_NE(guide, nullptr);
    auto* button = home.visitWebsiteButton();
    EXPECT_LT(guide->geometry().bottom(), button->geometry().top());
    EXPECT_EQ(button->width(), width);
    EXPECT_EQ(guide->width(), width);
    EXPECT_EQ(button->text(), "Visit Website");
  }
}

TEST_F(HomeTabTest, EachPressOpensTheSite) {
  HomeTab home;
  gui_test::showAndWait(home);
  QTest::mouseClick(home.visitWebsiteButton(), Qt::LeftButton);
  QTest::mouseClick(home.visitWebsiteButton(), Qt::LeftButton);
  ASSERT_EQ(openedURLs.size(), 2u);
  for (const auto& url : openedURLs) {
    EXPECT_EQ(url, QUrl(mervo::kProductWebsite));
    EXPECT_EQ(url.scheme(), "https");
  }
}

TEST_F(HomeTabTest, TheWindowShowsHomeFirst) {
  mervo::views::ContentView view(environment());
  EXPECT_NE(view.tabContent()->findChild<HomeTab*>(), nullptr);
}

// Fonts, spacings and badge of the guide, by its compact switch.
TEST_F(HomeTabTest, TheGuideTakesItsCompactOrRegularSizes) {
  struct Case {
    bool compact;
    int spacing, padding, header, badge, number, title, description;
  } cases[] = {{true, 12, 16, 18, 24, 12, 14, 12}, {false, 16, 20, 20, 28, 14, 16, 14}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.compact ? "compact" : "regular");
    SetupGuideCard guide(c.compact);
    EXPECT_EQ(guide.contentLayout()->spacing(), c.spacing);
    EXPECT_EQ(guide.boxStyle().padding, QMargins(c.padding, c.padding, c.padding, c.padding));
    EXPECT_EQ(guide.boxStyle().cornerRadius, 16);
    auto* header = qobject_cast<QLabel*>(gui_test::findByText(guide, "Setup Guide"));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->font().pixelSize(), c.header);
    auto* title = qobject_cast<QLabel*>(gui_test::findByText(guide, "Enable Quote Original Message"));
    auto* description = qobject_cast<QLabel*>(gui_test::findByText(guide, "Go to Settings > Composing in Apple Mail"));
    ASSERT_TRUE(title && description);
    EXPECT_EQ(title->font().pixelSize(), c.title);
    EXPECT_EQ(description->font().pixelSize(), c.description);
    const auto badges = guide.findChildren<QWidget*>();
    int found = 0;
    for (auto* badge : badges)
      if (badge->accessibleName() == "1" || badge->accessibleName() == "2" || badge->accessibleName() == "3") {
        EXPECT_EQ(badge->size(), QSize(c.badge, c.badge));
        EXPECT_EQ(badge->font().pixelSize(), c.number);
        ++found;
      }
    EXPECT_EQ(found, 3);
  }
}

TEST_F(HomeTabTest, ANarrowGuideWrapsDescriptionsInsteadOfCuttingThem) {
  SetupGuideCard guide(false);
  auto* description = qobject_cast<QLabel*>(
      gui_test::findByText(guide, "The extension will understand email context for better suggestions"));
  ASSERT_NE(description, nullptr);
  guide.resize(300, guide.heightForWidth(300) > 0 ? guide.heightForWidth(300) : 400);
  gui_test::render(guide, QSize(300, guide.sizeHint().height() + 200));
  EXPECT_TRUE(description->wordWrap());
  EXPECT_GT(description->height(), 2 * description->fontMetrics().height() - 2);
}

}  // namespace
