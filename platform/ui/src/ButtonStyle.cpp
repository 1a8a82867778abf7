#include "ui/ButtonStyle.hpp"

#include "ui/Palette.hpp"
#include "ui/Typography.hpp"

namespace ui {
namespace {

// The platform's regular push button: body text on a bezel 22 points high
// that darkens while pressed.
ButtonStyle pushButton(const QColor& textColor, const QColor& fill, const QColor& stroke, int pressedDarkness) {
  ButtonStyle style;
  style.font = ui::font(TextStyle::body);
  style.textColor = textColor;
  style.background = {fill, stroke, stroke.alpha() > 0 ? 1.0 : 0.0, 5, QMargins(10, 3, 10, 3)};
  style.pressedFill = fill.darker(pressedDarkness);
  return style;
}

ButtonStyle callToAction(const QFont& font, const QColor& textColor, const BoxStyle& background) {
  ButtonStyle style;
  style.font = font;
  style.textColor = textColor;
  style.background = background;
  style.pressedBackgroundOpacity = 0.7;
  style.pressedScale = 0.95;
  style.pressAnimationMs = 100;
  style.dimsWhenDisabled = false;
  return style;
}

}  // namespace

ButtonStyle ButtonStyle::borderedProminent() {
  return pushButton(color::textOnAccent(), color::accent(), color::clear(), 115);
}

ButtonStyle ButtonStyle::bordered() {
  return pushButton(color::label(), color::controlBackground(), color::withOpacity(color::black(), 0.15), 112);
}

ButtonStyle ButtonStyle::plain() {
  ButtonStyle style;
  style.font = ui::font(TextStyle::body);
  style.textColor = color::label();
  return style;
}

ButtonStyle ButtonStyle::destructive() {
  ButtonStyle style = bordered();
  style.textColor = color::red();
  return style;
}

ButtonStyle ButtonStyle::filled(const QColor& fill) {
  return callToAction(systemFont(14, FontWeight::semibold), color::white(), {fill, color::clear(), 0, 8, QMargins(16, 10, 16, 10)});
}

ButtonStyle ButtonStyle::outlined(const QColor& tint) {
  return callToAction(systemFont(14, FontWeight::medium), tint,
                      {color::withOpacity(tint, 0.1), tint, 1, 8, QMargins(16, 10, 16, 10)});
}

}  // namespace ui
