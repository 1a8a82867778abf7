#include "ui/Palette.hpp"
#include "ui/Typography.hpp"

#include <QApplication>
#include <QFontInfo>
#include <QPalette>

#include <gtest/gtest.h>

namespace {

using namespace ui;

TEST(Palette, ThemeGivesTheLightAppearance) {
  EXPECT_EQ(color::accent(), QColor(0x00, 0x7a, 0xff));
  EXPECT_EQ(color::windowBackground(), QColor(0xec, 0xec, 0xec));
  EXPECT_EQ(color::controlBackground(), QColor(Qt::white));
  EXPECT_EQ(color::textOnAccent(), QColor(Qt::white));
}

// Labels, separators and fills are the foreground at the platform's strengths.
TEST(Palette, DerivedColoursAreTheForegroundAtFixedStrengths) {
  const struct {
    const char* name;
    QColor color;
    double opacity;
  } cases[] = {{"label", color::label(), 0.85},
               {"secondaryLabel", color::secondaryLabel(), 0.5},
               {"tertiaryLabel", color::tertiaryLabel(), 0.26},
               {"quaternaryLabel", color::quaternaryLabel(), 0.1},
               {"separator", color::separator(), 0.1},
               {"systemFill", color::systemFill(), 0.1},
               {"secondarySystemFill", color::secondarySystemFill(), 0.08},
               {"tertiarySystemFill", color::tertiarySystemFill(), 0.05},
               {"quaternarySystemFill", color::quaternarySystemFill(), 0.03}};
  for (const auto& entry : cases) {
    SCOPED_TRACE(entry.name);
    EXPECT_EQ(entry.color.rgb() & 0xffffff, 0u);
    EXPECT_NEAR(entry.color.alphaF(), entry.opacity, 0.005);
  }
}

// A dark desktop palette carries through to everything derived from it.
TEST(Palette, SemanticColoursFollowTheApplicationPalette) {
  const QPalette saved = QApplication::palette();
  QPalette dark = saved;
  dark.setColor(QPalette::WindowText, Qt::white);
  dark.setColor(QPalette::Window, QColor(0x1e, 0x1e, 0x1e));
  dark.setColor(QPalette::Highlight, QColor(0x0a, 0x84, 0xff));
  QApplication::setPalette(dark);
  EXPECT_EQ(color::label().rgb() & 0xffffff, 0xffffffu);
  EXPECT_EQ(color::windowBackground(), QColor(0x1e, 0x1e, 0x1e));
  EXPECT_EQ(color::accent(), QColor(0x0a, 0x84, 0xff));
  QApplication::setPalette(saved);
  EXPECT_EQ(color::accent(), QColor(0x00, 0x7a, 0xff));
}

TEST(Palette, WithOpacityMultipliesIntoAlphaAndClamps) {
  EXPECT_NEAR(color::withOpacity(color::blue(), 0.2).alphaF(), 0.2, 0.005);
  EXPECT_NEAR(color::withOpacity(color::secondaryLabel(), 0.1).alphaF(), 0.05, 0.005);
  EXPECT_EQ(color::withOpacity(color::red(), 3).alpha(), 255);
  EXPECT_EQ(color::withOpacity(color::red(), -1).alpha(), 0);
  EXPECT_EQ(color::clear().alpha(), 0);
}

TEST(Typography, TextStylesHaveThePlatformSizesAndWeights) {
  const struct {
    TextStyle style;
    int size;
    QFont::Weight weight;
  } cases[] = {{TextStyle::largeTitle, 26, QFont::Normal}, {TextStyle::title, 22, QFont::Normal},
               {TextStyle::title2, 17, QFont::Normal},     {TextStyle::title3, 15, QFont::Normal},
               {TextStyle::headline, 13, QFont::Bold},     {TextStyle::subheadline, 11, QFont::Normal},
               {TextStyle::body, 13, QFont::Normal},       {TextStyle::callout, 12, QFont::Normal},
               {TextStyle::footnote, 10, QFont::Normal},   {TextStyle::caption, 10, QFont::Normal},
               {TextStyle::caption2, 10, QFont::Normal}};
  for (const auto& entry : cases) {
    SCOPED_TRACE(static_cast<int>(entry.style));
    const QFont font = ui::font(entry.style);
    EXPECT_EQ(font.pixelSize(), entry.size);
    EXPECT_EQ(font.weight(), entry.weight);
  }
  EXPECT_EQ(ui::font(TextStyle::title2, FontWeight::semibold).weight(), QFont::DemiBold);
  EXPECT_EQ(ui::font(TextStyle::title2, FontWeight::semibold).pixelSize(), 17);
}

// "system N" is N device-independent pixels, so layouts measure in points.
TEST(Typography, SystemFontIsSizedInPoints) {
  const struct {
    double size;
    FontWeight weight;
    QFont::Weight expected;
  } cases[] = {{9, FontWeight::medium, QFont::Medium},
               {14, FontWeight::semibold, QFont::DemiBold},
               {16, FontWeight::bold, QFont::Bold},
               {24, FontWeight::regular, QFont::Normal}};
  for (const auto& entry : cases) {
    const QFont font = systemFont(entry.size, entry.weight);
    EXPECT_EQ(font.pixelSize(), static_cast<int>(entry.size));
    EXPECT_EQ(font.weight(), entry.expected);
  }
}

TEST(Typography, MonospacedDesignUsesAFixedPitchFamily) {
  EXPECT_TRUE(QFontInfo(ui::font(TextStyle::caption, FontDesign::monospaced)).fixedPitch());
  EXPECT_FALSE(QFontInfo(ui::font(TextStyle::body)).fixedPitch());
}

}  // namespace
