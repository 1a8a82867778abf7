#include "ui/Text.hpp"

#include <QLabel>

namespace ui {

QLabel* makeText(const QString& text, const QFont& font, const QColor& color, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setFont(font);
  label->setTextFormat(Qt::PlainText);
  setForeground(label, color);
  return label;
}

void setForeground(QWidget* widget, const QColor& color) {
  QPalette palette = widget->palette();
  for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) palette.setColor(role, color);
  widget->setPalette(palette);
}

}  // namespace ui
