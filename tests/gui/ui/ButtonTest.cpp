#include "GuiTest.hpp"

#include "ui/ButtonStyle.hpp"
#include "ui/Palette.hpp"
#include "ui/StyledButton.hpp"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace ui;

QColor backgroundAtCentreLeft(StyledButton& button) {
  const QImage image = gui_test::render(button);
  return gui_test::colorOverWhite(image, QPoint(3, image.height() / 2));
}

TEST(StyledButton, ClicksOnlyWhileEnabled) {
  for (const auto& style : {ButtonStyle::borderedProminent(), ButtonStyle::bordered(), ButtonStyle::plain(),
                            ButtonStyle::destructive(), ButtonStyle::filled(color::blue()), ButtonStyle::outlined(color::blue())}) {
    StyledButton button("Save", style);
    button.resize(button.sizeHint());
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton);
    button.setEnabled(false);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
  }
}

TEST(StyledButton, SizeIsTheLabelPlusPadding) {
  StyledButton plain("Save", ButtonStyle::filled(color::blue()));
  StyledButton withSymbol("Save", ButtonStyle::filled(color::blue()));
  withSymbol.setSymbol("wand.and.stars");
  const QSize size = plain.sizeHint();
  EXPECT_GE(size.height(), 20 + QFontMetrics(plain.font()).height());
  // system 14 symbol is 18 points square, then 6 points before the title.
  EXPECT_EQ(withSymbol.sizeHint().width(), size.width() + 18 + 6);
  StyledButton symbolOnly({}, ButtonStyle::bordered());
  symbolOnly.setSymbol("doc.on.doc");
  EXPECT_EQ(symbolOnly.sizeHint(), QSize(17 + 20, 17 + 6));
}

// The platform's styles fade when disabled; the settings window's
// call-to-action styles keep their look.
TEST(StyledButton, DisabledLookDependsOnTheStyle) {
  const struct {
    const char* name;
    ButtonStyle style;
    bool changes;
  } cases[] = {{"prominent", ButtonStyle::borderedProminent(), true},
               {"destructive", ButtonStyle::destructive(), true},
               {"filled", ButtonStyle::filled(color::green()), false},
               {"outlined", ButtonStyle::outlined(color::blue()), false}};
  for (const auto& entry : cases) {
    SCOPED_TRACE(entry.name);
    StyledButton button("Test Connection", entry.style);
    const QImage enabled = gui_test::render(button);
    button.setEnabled(false);
    EXPECT_EQ(gui_test::render(button) != enabled, entry.changes);
  }
}

TEST(StyledButton, FilledStyleFillsWithItsColourAndOutlinedTints) {
  StyledButton save("Save", ButtonStyle::filled(color::blue()));
  EXPECT_EQ(backgroundAtCentreLeft(save), color::blue());
  StyledButton saved("Saved", ButtonStyle::filled(color::green()));
  EXPECT_EQ(backgroundAtCentreLeft(saved), color::green());
  StyledButton test("Test Connection", ButtonStyle::outlined(color::blue()));
  const QImage image = gui_test::render(test);
  EXPECT_EQ(image.pixelColor(image.width() / 2, 0).blue(), 255);
  const QColor tint = gui_test::colorOverWhite(image, QPoint(4, image.height() / 2));
  EXPECT_NEAR(tint.red(), 230, 3);
  EXPECT_EQ(tint.blue(), 255);
}

// Pressing dims only the background to 0.7 and shrinks the button to 95 %
// over a short ease; releasing brings both back.
TEST(StyledButton, PressDimsTheBackgroundAndShrinks) {
  StyledButton button("Save", ButtonStyle::filled(color::blue()));
  gui_test::showAndWait(button);
  QTest::mousePress(&button, Qt::LeftButton);
  ASSERT_TRUE(gui_test::waitUntil([&] { return button.pressAmount() == 1.0; }));
  const QImage pressed = gui_test::render(button, button.size());
  const QColor dimmed = gui_test::colorOverWhite(pressed, QPoint(button.width() / 2, button.height() / 2 - 8));
  EXPECT_NEAR(dimmed.red(), 77, 3);
  EXPECT_NEAR(dimmed.green(), 162, 3);
  // The scaled button no longer reaches its own left edge.
  EXPECT_EQ(pressed.pixelColor(0, button.height() / 2).alpha(), 0);
  QTest::mouseRelease(&button, Qt::LeftButton);
  ASSERT_TRUE(gui_test::waitUntil([&] { return button.pressAmount() == 0.0; }));
  EXPECT_EQ(backgroundAtCentreLeft(button), color::blue());
}

TEST(StyledButton, PlatformStylesDarkenWhenPressedAtOnce) {
  StyledButton button("Draft", ButtonStyle::borderedProminent());
  button.resize(button.sizeHint());
  QTest::mousePress(&button, Qt::LeftButton);
  EXPECT_EQ(button.pressAmount(), 1.0);
  EXPECT_LT(backgroundAtCentreLeft(button).blue(), color::accent().blue());
  QTest::mouseRelease(&button, Qt::LeftButton);
  EXPECT_EQ(backgroundAtCentreLeft(button), color::accent());
}

// A button that hides itself when pressed ("Save" giving way to "Saved")
// must not pass focus on to the next field, which would select its text.
TEST(StyledButton, HidingWhileFocusedLeavesFocusWithTheWidgetAround) {
  QWidget window;
  auto* column = new QVBoxLayout(&window);
  auto* save = new StyledButton("Save", ButtonStyle::primary(), &window);
  auto* field = new QLineEdit("sk-secret", &window);
  column->addWidget(save);
  column->addWidget(field);
  QObject::connect(save, &QAbstractButton::clicked, save, &QWidget::hide);
  gui_test::showAndWait(window);
  save->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(gui_test::waitUntil([&] { return save->hasFocus(); }));
  QTest::keyClick(save, Qt::Key_Space);
  EXPECT_FALSE(save->isVisible());
  EXPECT_FALSE(field->hasFocus());
  EXPECT_FALSE(field->hasSelectedText());
  EXPECT_EQ(QApplication::focusWidget(), &window);
}

}  // namespace
