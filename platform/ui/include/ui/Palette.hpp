#pragma once

#include <QColor>

// Semantic colours of the settings window and the compose popover. The ones
// with a Qt counterpart follow the application palette (so applyTheme() or a
// desktop palette decides them); the system hues are the light-appearance
// values. "primary" and "secondary" in the screens are label() and
// secondaryLabel().
namespace ui::color {

// Text.
QColor label();
QColor secondaryLabel();
QColor tertiaryLabel();
QColor quaternaryLabel();
QColor placeholderText();
QColor text();
// Text drawn on the accent colour (selected tab, prominent buttons).
QColor textOnAccent();

// Backgrounds and lines.
QColor windowBackground();
QColor controlBackground();
QColor textBackground();
QColor separator();

// Translucent fills for controls and cards.
QColor systemFill();
QColor secondarySystemFill();
QColor tertiarySystemFill();
QColor quaternarySystemFill();

QColor accent();

// System hues.
QColor blue();
QColor green();
QColor orange();
QColor red();
QColor purple();
QColor gray();
QColor yellow();
QColor white();
QColor black();
QColor clear();

// The colour at the given opacity (0 to 1), multiplied into its own alpha.
QColor withOpacity(QColor color, double opacity);

}  // namespace ui::color
