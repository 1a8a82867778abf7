#include "GuiTest.hpp"

#include "ui/BoxStyle.hpp"
#include "ui/ContinuousRoundedRect.hpp"
#include "ui/Palette.hpp"
#include "ui/RoundedCard.hpp"

#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

using namespace ui;

TEST(ContinuousRoundedRect, FillsTheRectangleButItsCorners) {
  const QRectF rect(10, 20, 200, 100);
  const QPainterPath path = continuousRoundedRect(rect, 12);
  EXPECT_EQ(path.boundingRect(), rect);
  EXPECT_TRUE(path.contains(rect.center()));
  EXPECT_TRUE(path.contains(QPointF(rect.center().x(), rect.top() + 0.5)));
  EXPECT_TRUE(path.contains(QPointF(rect.left() + 0.5, rect.center().y())));
  for (const QPointF corner : {rect.topLeft(), rect.topRight(), rect.bottomLeft(), rect.bottomRight()}) {
    const QPointF inward = rect.center() - corner;
    EXPECT_FALSE(path.contains(corner + inward * 0.01)) << corner.x() << "," << corner.y();
  }
}

// The corner eases out of the edge: it leaves the straight edge before a
// circular arc of the same radius would (12 points from the corner, where the
// arc hasn't begun), and the edge is straight again past 1.53 radii.
TEST(ContinuousRoundedRect, CornerEasesOutOfTheEdgeEarlierThanACircularArc) {
  const QRectF rect(0, 0, 100, 100);
  const QPainterPath continuous = continuousRoundedRect(rect, 10);
  QPainterPath circular;
  circular.addRoundedRect(rect, 10, 10);
  const QPointF beforeTheArc(12, 0.005);
  EXPECT_TRUE(circular.contains(beforeTheArc));
  EXPECT_FALSE(continuous.contains(beforeTheArc));
  EXPECT_TRUE(continuous.contains(QPointF(15.5, 0.005)));
}

TEST(ContinuousRoundedRect, RadiusShrinksToFitAndZeroIsARectangle) {
  const QRectF small(0, 0, 20, 10);
  EXPECT_EQ(continuousRoundedRect(small, 100).boundingRect(), small);
  EXPECT_TRUE(continuousRoundedRect(small, 100).contains(small.center()));
  EXPECT_TRUE(continuousRoundedRect(small, 0).contains(QPointF(0.1, 0.1)));
  EXPECT_TRUE(continuousRoundedRect(QRectF(), 8).isEmpty() || continuousRoundedRect(QRectF(), 8).boundingRect().isEmpty());
}

QImage paintedBox(const BoxStyle& style, QSize size) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  paintBox(painter, QRectF(QPointF(), size), style);
  return image;
}

TEST(PaintBox, FillsInsideStrokesTheEdgeAndLeavesCornersClear) {
  const QImage image = paintedBox({Qt::white, Qt::red, 1, 8, {}}, {60, 40});
  EXPECT_EQ(image.pixelColor(30, 20), QColor(Qt::white));
  EXPECT_EQ(image.pixelColor(30, 0).red(), 255);
  EXPECT_LT(image.pixelColor(30, 0).green(), 60);
  EXPECT_EQ(image.pixelColor(30, 39).red(), 255);
  EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
  EXPECT_EQ(image.pixelColor(59, 39).alpha(), 0);
}

TEST(PaintBox, NoStrokeWidthDrawsNoOutline) {
  const QImage image = paintedBox({Qt::white, Qt::red, 0, 8, {}}, {60, 40});
  EXPECT_EQ(image.pixelColor(30, 0), QColor(Qt::white));
}

TEST(RoundedCard, PadsItsContentByTheStylesPadding) {
  RoundedCard card({color::controlBackground(), color::separator(), 1, 8, QMargins(24, 20, 24, 20)});
  auto* label = new QLabel("Content");
  card.contentLayout()->addWidget(label);
  gui_test::render(card, {300, 120});
  EXPECT_EQ(label->geometry().topLeft(), QPoint(24, 20));
  EXPECT_EQ(label->geometry().right(), 300 - 24 - 1);

  card.setBoxStyle({color::controlBackground(), color::separator(), 1, 8, QMargins(20, 20, 20, 20)});
  gui_test::render(card, {300, 120});
  EXPECT_EQ(label->geometry().left(), 20);
}

TEST(RoundedCard, PaintsItsBoxBehindTheContent) {
  RoundedCard card({color::green(), color::blue(), 1, 8, QMargins(12, 12, 12, 12)});
  const QImage image = gui_test::render(card, {100, 60});
  EXPECT_EQ(image.pixelColor(50, 30), color::green());
  EXPECT_EQ(image.pixelColor(50, 0).blue(), 255);
  EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
}

TEST(RoundedCard, ReportsClicksOnlyWhenClickable) {
  RoundedCard card({color::controlBackground(), color::clear(), 0, 10, QMargins(12, 12, 12, 12)});
  card.resize(200, 50);
  QSignalSpy clicks(&card, &RoundedCard::clicked);
  QTest::mouseClick(&card, Qt::LeftButton, {}, QPoint(100, 25));
  EXPECT_EQ(clicks.count(), 0);
  card.setClickable(true);
  QTest::mouseClick(&card, Qt::LeftButton, {}, QPoint(100, 25));
  EXPECT_EQ(clicks.count(), 1);
  // Pressed inside, released outside: no click.
  QTest::mousePress(&card, Qt::LeftButton, {}, QPoint(100, 25));
  QTest::mouseRelease(&card, Qt::LeftButton, {}, QPoint(300, 25));
  EXPECT_EQ(clicks.count(), 1);
}

}  // namespace
