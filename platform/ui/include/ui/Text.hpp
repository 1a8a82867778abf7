#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QWidget;

namespace ui {

// A text in a given font and colour, as the screens set their texts.
QLabel* makeText(const QString& text, const QFont& font, const QColor& color, QWidget* parent = nullptr);

// Sets the colour a widget draws its text in.
void setForeground(QWidget* widget, const QColor& color);

// Sets the text of a word-wrapped label so that no word of it is wider than
// a short stretch: a long unbroken token (a URL, an identifier) may break
// between its characters, as a plain-text editor breaks it. Without that the
// token alone would set the label's narrowest width, and a narrow column
// would be pushed past its frame.
void setWrappingText(QLabel* label, const QString& text);

}  // namespace ui
