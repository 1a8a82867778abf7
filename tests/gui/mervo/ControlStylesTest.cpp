#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include "GuiTest.hpp"
#include "ui/ButtonStyle.hpp"
#include "ui/FieldStyle.hpp"
#include "ui/Palette.hpp"
#include "ui/StyledButton.hpp"
#include "ui/TextField.hpp"

namespace {

using ui::ButtonStyle;
using ui::StyledButton;

// The extent of the non-transparent pixels along the middle row.
int drawnWidth(const QImage& image) {
  const int y = image.height() / 2;
  int left = -1, right = -1;
  for (int x = 0; x < image.width(); ++x)
    if (image.pixelColor(x, y).alpha() > 0) {
      if (left < 0) left = x;
      right = x;
    }
  return left < 0 ? 0 : right - left + 1;
}

void expectNear(const QColor& got, const QColor& want) {
  EXPECT_NEAR(got.red(), want.red(), 3) << "red";
  EXPECT_NEAR(got.green(), want.green(), 3) << "green";
  EXPECT_NEAR(got.blue(), want.blue(), 3) << "blue";
}

struct Look {
  const char* name;
  ButtonStyle (*style)();
  QColor background;         // inside the box, beside the label, released
  QColor pressedBackground;  // the same while pressed
  QColor edge;               // the outline or fill at the very edge, released
};

void PrintTo(const Look& look, std::ostream* os) { *os << look.name; }

class PressedLook : public ::testing::TestWithParam<Look> {};

// Pressing dims only the background (the 0.7 over white) and shrinks the
// whole button to 95 %; releasing brings the released look back.
TEST_P(PressedLook, DimsTheBackgroundAndShrinksTheButton) {
  const auto& look = GetParam();
  StyledButton button("Test Connection", look.style());
  // Without a focus ring, which a key pressed by an earlier test would show.
  button.setFocusPolicy(Qt::NoFocus);
  gui_test::showAndWait(button);
  // In the leading padding: inside the box also when it is scaled down.
  const QPoint background(8, button.height() / 2);
  const QImage released = gui_test::render(button, button.size());
  expectNear(gui_test::colorOverWhite(released, background), look.background);
  expectNear(gui_test::colorOverWhite(released, QPoint(button.width() / 2, 0)), look.edge);
  const int fullWidth = drawnWidth(released);
  EXPECT_EQ(fullWidth, button.width());

  QTest::mousePress(&button, Qt::LeftButton);
  ASSERT_TRUE(gui_test::waitUntil([&] { return button.pressAmount() == 1.0; }));
  const QImage pressed = gui_test::render(button, button.size());
  expectNear(gui_test::colorOverWhite(pressed, background), look.pressedBackground);
  EXPECT_NEAR(drawnWidth(pressed), 0.95 * fullWidth, 2);

  QTest::mouseRelease(&button, Qt::LeftButton);
  ASSERT_TRUE(gui_test::waitUntil([&] { return button.pressAmount() == 0.0; }));
  EXPECT_EQ(gui_test::render(button, button.size()), released);
}

// Colours over white: blue (0, 122, 255) and green (40, 205, 65) fully and
// at 0.7; the secondary style's blue at 0.1 (230, 242, 255), at 0.07 when
// pressed, under its blue outline.
INSTANTIATE_TEST_SUITE_P(
    ControlStyles, PressedLook,
    ::testing::Values(Look{"Primary", ButtonStyle::primary, ui::color::blue(), QColor(77, 162, 255), ui::color::blue()},
                      Look{"Saved", ButtonStyle::saved, ui::color::green(), QColor(105, 220, 122), ui::color::green()},
                      Look{"Secondary", ButtonStyle::secondary, QColor(230, 242, 255), QColor(237, 246, 255),
                           ui::color::blue()}),
    [](const ::testing::TestParamInfo<Look>& info) { return std::string(info.param.name); });

TEST(ControlStyles, SavedDiffersFromPrimaryOnlyInItsFill) {
  ButtonStyle primary = ButtonStyle::primary();
  ButtonStyle saved = ButtonStyle::saved();
  EXPECT_EQ(saved.background.fill, ui::color::green());
  saved.background.fill = primary.background.fill;
  StyledButton a("Save", primary), b("Save", saved);
  EXPECT_EQ(gui_test::render(a), gui_test::render(b));
}

TEST(ControlStyles, DisabledButtonsKeepTheirLook) {
  for (auto style : {ButtonStyle::primary, ButtonStyle::saved, ButtonStyle::secondary}) {
    StyledButton button("Saved", style());
    const QImage enabled = gui_test::render(button);
    button.setEnabled(false);
    EXPECT_EQ(gui_test::render(button), enabled);
  }
}

// The text sits 12 inside the tertiary-filled box, which has no outline and
// does not change when pressed or focused.
TEST(ControlStyles, TheTextFieldPadsItsTextInsideTheFilledBox) {
  ui::TextField field("API endpoint URL", ui::FieldStyle::custom());
  field.setText("http://localhost:11434");
  field.resize(320, field.sizeHint().height());
  gui_test::showAndWait(field);
  EXPECT_EQ(field.lineEdit()->geometry().topLeft(), QPoint(12, 12));
  EXPECT_EQ(field.height(), field.lineEdit()->height() + 24);
  const QImage image = gui_test::render(field, field.size());
  const QColor fill = gui_test::colorOverWhite(image, QPoint(6, field.height() / 2));
  const QColor expected = gui_test::colorOverWhite(
      [] {
        QImage swatch(1, 1, QImage::Format_ARGB32_Premultiplied);
        swatch.fill(ui::color::tertiarySystemFill());
        return swatch;
      }(),
      QPoint(0, 0));
  expectNear(fill, expected);
  expectNear(gui_test::colorOverWhite(image, QPoint(field.width() / 2, 0)), expected);  // no outline at the edge
  EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);  // rounded corner
  field.lineEdit()->setFocus();
  QTest::mousePress(field.lineEdit(), Qt::LeftButton);
  QTest::mouseRelease(field.lineEdit(), Qt::LeftButton);
  const QImage focused = gui_test::render(field, field.size());
  expectNear(gui_test::colorOverWhite(focused, QPoint(6, field.height() / 2)), expected);
  expectNear(gui_test::colorOverWhite(focused, QPoint(field.width() / 2, 0)), expected);
  EXPECT_EQ(field.fieldStyle().textColor, ui::color::label());
}

}  // namespace
