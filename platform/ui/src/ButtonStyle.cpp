#include "ui/ButtonStyle.hpp"

#include "ui/Palette.hpp"
#include "ui/Typography.hpp"

namespace ui {
namespace {

// The platform's regular push button: body text, 22 points high.
BoxStyle bezel(const QColor& fill, const QColor& stroke) {
  return {fill, stroke, stroke.alpha() > 0 ? 1.0 : 0.0, 5, QMargins(10, 3, 10, 3)};
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
  ButtonStyle style;
  style.font = ui::font(TextStyle::body);
  style.textColor = color::textOnAccent();
  style.background = bezel(color::accent(), color::clear());
  style.pressedFill = color::accent().darker(115);
  return style;
}

ButtonStyle ButtonStyle::bordered() {
  ButtonStyle style;
  style.font = ui::font(TextStyle::body);
  style.textColor = color::label();
  style.background = bezel(color::controlBackground(), color::withOpacity(color::black(), 0.15));
  style.pressedFill = color::controlBackground().darker(112);
  return style;
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
