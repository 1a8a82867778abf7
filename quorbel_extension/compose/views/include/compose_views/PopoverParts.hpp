#pragma once

#include <QLabel>
#include <QWidget>

#include "ui/StyledButton.hpp"

namespace quorbel::views {

// Controls that appear in more than one place of the popover.

// The prominent "Draft" button with its magic-wand symbol.
ui::StyledButton* makeDraftButton(QWidget* parent);
// A red line of text for failures, wrapping.
QLabel* makeErrorText(QWidget* parent);

}  // namespace quorbel::views
