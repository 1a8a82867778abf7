#include "GuiTest.hpp"

#include "ui/Palette.hpp"
#include "ui/SymbolIcon.hpp"
#include "ui/SymbolLabel.hpp"

#include <QPainter>
#include <QSet>

#include <gtest/gtest.h>

namespace {

using namespace ui;

// Every symbol the popover and the settings screens name.
const QStringList kScreenSymbols{
    "envelope.fill",   "wand.and.stars",      "brain.head.profile", "cpu",
    "sparkles",        "desktopcomputer",     "server.rack",        "checkmark.circle.fill",
    "xmark.circle.fill", "questionmark.circle.fill", "clock.fill",  "star.fill",
    "house.fill",      "square.grid.2x2.fill", "text.bubble.fill",  "eye.fill",
    "gear.badge",      "globe",               "doc.on.doc",         "arrow.up.left.and.arrow.down.right",
};

QImage draw(const SymbolIcon& symbol) {
  QImage image(symbol.size().toSize(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  symbol.paint(painter, QRectF(QPointF(), symbol.size()));
  return image;
}

TEST(SymbolIcon, KnowsEverySymbolTheScreensName) {
  for (const auto& name : kScreenSymbols) EXPECT_TRUE(SymbolIcon(name, 16, Qt::black).isKnown()) << name.toStdString();
  for (const auto& name : kScreenSymbols) EXPECT_TRUE(SymbolIcon::knownNames().contains(name)) << name.toStdString();
}

// Each symbol draws something, only in its colour, neither empty nor filling
// its whole square, at a small and a large size.
TEST(SymbolIcon, EverySymbolRendersInItsColourAtTwoSizes) {
  for (const auto& name : SymbolIcon::knownNames()) {
    for (const double size : {12.0, 48.0}) {
      SCOPED_TRACE(name.toStdString() + " at " + std::to_string(size));
      const QImage image = draw(SymbolIcon(name, size, color::blue())).convertToFormat(QImage::Format_ARGB32);
      int inked = 0;
      int offColour = 0;
      for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
          const QColor pixel = image.pixelColor(x, y);
          if (pixel.alpha() >= 96) ++inked;
          if (pixel.alpha() >= 64 && (pixel.red() > 8 || std::abs(pixel.green() - 0x7a) > 8 || pixel.blue() < 247)) ++offColour;
        }
      }
      const int total = image.width() * image.height();
      EXPECT_GT(inked, total / 25);
      EXPECT_LT(inked, total * 9 / 10);
      EXPECT_EQ(offColour, 0);
    }
  }
}

// A copied drawing would show up as two names with the same picture.
TEST(SymbolIcon, NoTwoSymbolsLookAlike) {
  QSet<QByteArray> seen;
  for (const auto& name : SymbolIcon::knownNames()) {
    const QImage image = draw(SymbolIcon(name, 32, Qt::black));
    const QByteArray bits(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
    EXPECT_FALSE(seen.contains(bits)) << name.toStdString();
    seen.insert(bits);
  }
}

TEST(SymbolIcon, HeavierWeightsDrawThickerLines) {
  const auto inked = [](FontWeight weight) {
    return gui_test::countPixelsNear(draw(SymbolIcon("globe", 48, Qt::black, weight)), Qt::black, 60);
  };
  EXPECT_LT(inked(FontWeight::light), inked(FontWeight::regular));
  EXPECT_LT(inked(FontWeight::regular), inked(FontWeight::bold));
}

TEST(SymbolIcon, UnknownNameDrawsAPlaceholderAndEmptyNameNothing) {
  const SymbolIcon unknown("no.such.symbol", 16, Qt::black);
  EXPECT_FALSE(unknown.isKnown());
  EXPECT_FALSE(gui_test::isBlank(draw(unknown)));
  const SymbolIcon none(QString(), 16, Qt::black);
  EXPECT_FALSE(none.isKnown());
  EXPECT_TRUE(gui_test::isBlank(draw(none)));
}

TEST(SymbolIcon, SizeFollowsThePointSizeAndPixmapsAreSharpAtDoubleDensity) {
  EXPECT_EQ(SymbolIcon("cpu", 16, Qt::black).side(), 20);
  EXPECT_EQ(SymbolIcon("cpu", 24, Qt::black).side(), 30);
  const QPixmap sharp = SymbolIcon("cpu", 16, Qt::black).pixmap(2);
  EXPECT_EQ(sharp.size(), QSize(40, 40));
  EXPECT_EQ(sharp.deviceIndependentSize(), QSizeF(20, 20));
  EXPECT_FALSE(SymbolIcon("cpu", 16, Qt::black).icon().isNull());
}

TEST(SymbolLabel, SizesToItsSymbolPlusPaddingAndRecolours) {
  SymbolLabel grip(SymbolIcon("arrow.up.left.and.arrow.down.right", 12, color::gray()));
  grip.setContentsMargins(8, 8, 8, 8);
  EXPECT_EQ(grip.sizeHint(), QSize(15 + 16, 15 + 16));
  EXPECT_GT(gui_test::countPixelsNear(gui_test::render(grip), color::gray(), 2), 0);
  grip.setColor(color::red());
  const QImage red = gui_test::render(grip);
  EXPECT_GT(gui_test::countPixelsNear(red, color::red(), 2), 0);
  EXPECT_EQ(gui_test::countPixelsNear(red, color::gray(), 2), 0);
  grip.setName("cpu");
  EXPECT_EQ(grip.symbol().name(), "cpu");
  EXPECT_EQ(grip.symbol().color(), color::red());
}

}  // namespace
