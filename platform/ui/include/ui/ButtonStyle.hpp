#pragma once

#include "ui/BoxStyle.hpp"
#include "ui/Palette.hpp"

#include <QColor>
#include <QFont>

#include <optional>

namespace ui {

// How a StyledButton looks: label font and colour, the box behind it, and
// what pressing and disabling do to it.
struct ButtonStyle {
  QFont font;
  QColor textColor;
  BoxStyle background;
  // Space between a leading symbol and the title.
  int symbolSpacing = 6;
  // Pressed look: the background's fill (if it changes), the opacity the
  // background alone is drawn at, and the scale of the whole button.
  std::optional<QColor> pressedFill;
  qreal pressedBackgroundOpacity = 1.0;
  qreal pressedScale = 1.0;
  // Length of the ease-in-out towards and back from the pressed look; 0 jumps.
  int pressAnimationMs = 0;
  // The platform's own styles fade when disabled; custom styles may not.
  bool dimsWhenDisabled = true;
  // The label spreads over the full width given (symbol and title at the
  // leading edge) instead of keeping to its own size.
  bool fillsWidth = false;

  // The platform's styles: accent-filled, white-bezelled, no bezel, and the
  // white bezel with a red title for actions that destroy something.
  static ButtonStyle borderedProminent();
  static ButtonStyle bordered();
  static ButtonStyle plain();
  static ButtonStyle destructive();

  // The settings window's call-to-action buttons: system 14 semibold white on
  // a colour, or system 14 medium in a colour on a light tint of it under a
  // 1-point outline; 16 by 10 padding, radius 8, pressed to 0.7 background
  // opacity and 95 % scale over 0.1 s; no disabled look of their own.
  static ButtonStyle filled(const QColor& fill);
  static ButtonStyle outlined(const QColor& tint);

  // The settings window's three action styles: the main action on blue
  // ("Save"), its confirmation on green ("Saved"), and the secondary action
  // outlined in blue ("Test Connection").
  static ButtonStyle primary() { return filled(color::blue()); }
  static ButtonStyle saved() { return filled(color::green()); }
  static ButtonStyle secondary() { return outlined(color::blue()); }
};

}  // namespace ui
