#include <QLabel>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "MervoGuiTest.hpp"
#include "app_views/FeatureItemView.hpp"
#include "app_views/FeaturesContentView.hpp"
#include "app_views/SettingsCard.hpp"
#include "ui/LineLimitedText.hpp"
#include "ui/Palette.hpp"
#include "ui/SymbolLabel.hpp"

namespace {

using mervo::Feature;
using mervo::FeatureCategory;
using mervo::views::FeatureAccessStatus;
using mervo::views::FeatureItemView;
using mervo::views::FeaturesContentView;

class FeaturesTabTest : public mervo_gui_test::MervoGuiTest {
 protected:
  Feature feature(bool available = true) {
    Feature f = featureManager->allFeatures->front();
    f.isCurrentlyAvailable = available;
    return f;
  }
};

TEST_F(FeaturesTabTest, TheGridShowsTheFourCardsInTwoRows) {
  FeaturesContentView tab(*featureManager, false);
  tab.resize(700, 500);
  gui_test::showAndWait(tab);
  const auto cards = tab.cards();
  ASSERT_EQ(cards.size(), 4);
  struct Expected {
    const char* name;
    const char* icon;
    QColor color;
  } expected[] = {{"Mail Extension", "envelope.fill", ui::color::blue()},
                  {"Smart Drafting", "wand.and.stars", ui::color::purple()},
                  {"AI Prompts", "brain.head.profile", ui::color::purple()},
                  {"LLM Configuration", "cpu", ui::color::purple()}};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(expected[i].name);
    auto* card = cards[i];
    EXPECT_EQ(card->nameText()->text(), expected[i].name);
    EXPECT_EQ(card->icon()->symbol().name(), expected[i].icon);
    EXPECT_EQ(card->icon()->symbol().color(), expected[i].color);
    EXPECT_EQ(card->statusIcon()->symbol().name(), "checkmark.circle.fill");
    EXPECT_EQ(card->statusIcon()->symbol().color(), ui::color::green());
    EXPECT_EQ(card->status(), FeatureAccessStatus::available);
    EXPECT_EQ(card->cardOpacity(), 1.0);
    EXPECT_NE(gui_test::findByText(*card, "Available"), nullptr);
    EXPECT_EQ(gui_test::findByText(*card, "Coming Soon"), nullptr);
    EXPECT_EQ(card->boxStyle().fill, ui::color::controlBackground());
    EXPECT_EQ(card->boxStyle().stroke, ui::color::withOpacity(ui::color::green(), 0.3));
  }
  // Two columns: the first two side by side, the next two below them.
  EXPECT_EQ(cards[0]->y(), cards[1]->y());
  EXPECT_LT(cards[0]->x(), cards[1]->x());
  EXPECT_EQ(cards[2]->x(), cards[0]->x());
  EXPECT_EQ(cards[2]->y() - cards[0]->geometry().bottom() - 1, 16);
  EXPECT_EQ(cards[0]->width(), cards[1]->width());
  auto* card = tab.findChild<mervo::views::SettingsCard*>();
  ASSERT_NE(card, nullptr);
  EXPECT_NE(gui_test::findByText(*card, "Features"), nullptr);
}

TEST_F(FeaturesTabTest, AnEmptyCatalogueLeavesAnEmptyCard) {
  FeaturesContentView tab(*featureManager, false);
  featureManager->allFeatures = std::vector<Feature>();
  EXPECT_TRUE(tab.cards().isEmpty());
  EXPECT_NE(tab.findChild<mervo::views::SettingsCard*>(), nullptr);
  featureManager->buildFeatureCatalogue();
  EXPECT_EQ(tab.cards().size(), 4);
}

TEST_F(FeaturesTabTest, AFeatureNotYetAvailableSaysComingSoonInOrange) {
  FeatureItemView available(feature(false), FeatureAccessStatus::available, false);
  auto* caption = qobject_cast<QLabel*>(gui_test::findByText(available, "Coming Soon"));
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->palette().color(QPalette::WindowText), ui::color::orange());
  EXPECT_EQ(caption->font().pixelSize(), 9);
  EXPECT_NE(gui_test::findByText(available, "Available"), nullptr);
  // In the coming-soon state the words come twice.
  FeatureItemView coming(feature(false), FeatureAccessStatus::comingSoon, false);
  int comingSoon = 0;
  for (auto* label : coming.findChildren<QLabel*>()) comingSoon += label->text() == "Coming Soon";
  EXPECT_EQ(comingSoon, 2);
}

TEST_F(FeaturesTabTest, AComingSoonCardIsTintedOrangeAndDimmed) {
  FeatureItemView card(feature(), FeatureAccessStatus::comingSoon, false);
  EXPECT_EQ(card.cardOpacity(), 0.7);
  EXPECT_EQ(card.statusIcon()->symbol().name(), "clock.fill");
  EXPECT_EQ(card.statusIcon()->symbol().color(), ui::color::orange());
  EXPECT_EQ(card.boxStyle().fill, ui::color::withOpacity(ui::color::orange(), 0.1));
  const QImage dimmed = gui_test::render(card, QSize(240, 110));
  FeatureItemView full(feature(), FeatureAccessStatus::available, false);
  const QImage plain = gui_test::render(full, QSize(240, 110));
  // The blue envelope shows through at 0.7: lighter over white.
  const QPoint symbol = card.icon()->mapTo(&card, card.icon()->rect().center());
  EXPECT_GT(gui_test::colorOverWhite(dimmed, symbol).red(), gui_test::colorOverWhite(plain, symbol).red() + 40);
  EXPECT_NE(dimmed, plain);
}

TEST_F(FeaturesTabTest, CompactCardsTakeTheSmallerSizes) {
  struct Case {
    bool compact;
    int spacing, padding, icon, statusIcon, name, description, statusText;
  } cases[] = {{true, 8, 10, 16, 12, 13, 11, 9}, {false, 10, 12, 18, 14, 14, 12, 10}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.compact ? "compact" : "regular");
    FeatureItemView card(feature(), FeatureAccessStatus::available, c.compact);
    EXPECT_EQ(card.contentLayout()->spacing(), c.spacing);
    EXPECT_EQ(card.boxStyle().padding.left(), c.padding);
    EXPECT_EQ(card.icon()->symbol().pointSize(), c.icon);
    EXPECT_EQ(card.statusIcon()->symbol().pointSize(), c.statusIcon);
    EXPECT_EQ(card.nameText()->font().pixelSize(), c.name);
    EXPECT_EQ(card.descriptionText()->font().pixelSize(), c.description);
    auto* status = qobject_cast<QLabel*>(gui_test::findByText(card, "Available"));
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->font().pixelSize(), c.statusText);
    FeaturesContentView tab(*featureManager, c.compact);
    EXPECT_EQ(tab.layout()->spacing(), c.compact ? 16 : 24);
  }
}

TEST_F(FeaturesTabTest, LongTextsStopAfterTheirLines) {
  Feature long_ = feature();
  long_.name = "A feature name long enough to need more than one line in a narrow card";
  long_.description = std::string(40, 'w') + " words words words words words words words words words words words words";
  FeatureItemView card(long_, FeatureAccessStatus::available, false);
  EXPECT_EQ(card.nameText()->visibleLines(150).size(), 1);
  EXPECT_EQ(card.descriptionText()->visibleLines(150).size(), 2);
  EXPECT_TRUE(card.nameText()->visibleLines(150).front().endsWith(QChar(0x2026)));
}

TEST_F(FeaturesTabTest, HiddenStatusShowsNothingOfItsOwn) {
  const auto look = mervo::views::statusLook(FeatureAccessStatus::hidden);
  EXPECT_TRUE(look.symbol.isEmpty());
  EXPECT_TRUE(look.text.isEmpty());
  EXPECT_EQ(look.color, ui::color::clear());
  EXPECT_EQ(look.fill, ui::color::clear());
  EXPECT_EQ(mervo::views::categoryColor(FeatureCategory::productivity), ui::color::green());
  EXPECT_EQ(mervo::views::categoryColor(FeatureCategory::integration), ui::color::orange());
  EXPECT_EQ(mervo::views::categoryColor(FeatureCategory::advanced), ui::color::red());
}

}  // namespace
