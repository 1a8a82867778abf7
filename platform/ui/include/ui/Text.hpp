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

}  // namespace ui
