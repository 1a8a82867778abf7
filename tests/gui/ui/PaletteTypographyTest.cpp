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

// A dark desktop palette carries through to everything derived from it.
TEST(Palette, SemanticColoursFollowTheApplicationPalette) {
  const QPalette saved = QApplication::palette();
  QPalette dark = saved;
  dark.setColor(QPalette::WindowText, Qt::white);
  dark.setColor(QPalette::Window, QColor(0x1e, 0x1e, 0x1e));
  dark.setColor(QPalette::Highlight, QColor(0x0a, 0x84, 0xff));
  QApplication::setPalette(dark);
  EXPECT_EQ(color::label().rgb() & 0xffffff, 0xffffffu);
  EXPECT_NEAR(color::secondaryLabel().alphaF(), 0.5, 0.005);
  EXPECT_EQ(color::separator().rgb() & 0xffffff, 0xffffffu);
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

TEST(Typography, TextStylesTakeTheirWeightUnlessOneIsGiven) {
  EXPECT_EQ(ui::font(TextStyle::headline).weight(), QFont::Bold);
  EXPECT_EQ(ui::font(TextStyle::title2, FontWeight::semibold).weight(), QFont::DemiBold);
  EXPECT_EQ(ui::font(TextStyle::title2, FontWeight::semibold).pixelSize(), 17);
}

TEST(Typography, MonospacedDesignUsesAFixedPitchFamily) {
  EXPECT_TRUE(QFontInfo(ui::font(TextStyle::caption, FontDesign::monospaced)).fixedPitch());
  EXPECT_FALSE(QFontInfo(ui::font(TextStyle::body)).fixedPitch());
}

}  // namespace
