#pragma once

#include "ui/BoxStyle.hpp"
#include "ui/Palette.hpp"

#include <QColor>
#include <QFont>

namespace ui {

// How a text field or text editor looks: the box around the text, the text's
// font and colour, and whether focus draws the accent ring around the box.
struct FieldStyle {
  BoxStyle box;
  QFont font;
  QColor textColor;
  bool focusRing = false;

  // The platform's rounded-border field: white, a hairline outline, body text.
  static FieldStyle roundedBorder();
  // Text on a filled rounded box with no outline, `padding` on every edge
  // (the settings window's fields: tertiary fill, padding 12, radius 8).
  static FieldStyle filled(const QColor& fill, int padding, qreal cornerRadius);
  // The settings window's text and secure fields: primary text 12 inside a
  // tertiary-filled box of radius 8, no outline, no accent ring (the
  // keyboard's ring shows).
  static FieldStyle custom() { return filled(color::tertiarySystemFill(), 12, 8); }
};

}  // namespace ui
