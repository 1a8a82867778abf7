#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include <optional>

namespace quorbel::views {

// The popover's text styles and recurring controls, in one place.
enum class TextStyle { body, headline, title, callout, caption };
QFont textStyle(TextStyle style);

// A prominent bordered button with a symbol and a label.
QPushButton* prominentButton(const QString& label, const char* symbol, QWidget* parent);
// An indeterminate progress indicator with its label, full width.
QWidget* progressLine(const QString& label, QWidget* parent);
// Red, wrapping text for failures.
QLabel* errorLabel(QWidget* parent);
// The icon for a symbol name the popover uses, in the button text colour
// unless another is given.
QIcon symbolIcon(const char* symbol, std::optional<QColor> color = std::nullopt);

}  // namespace quorbel::views
