#include "ui/Text.hpp"

#include <QLabel>
#include <QTextBoundaryFinder>

namespace ui {

QLabel* makeText(const QString& text, const QFont& font, const QColor& color, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setFont(font);
  label->setTextFormat(Qt::PlainText);
  setForeground(label, color);
  return label;
}

namespace {

// Characters in a row without a break opportunity, at most. Wide enough for
// any ordinary word, narrow enough for the narrowest column in body text.
constexpr int kLongestUnbrokenRun = 12;

}  // namespace

void setWrappingText(QLabel* label, const QString& text) {
  QString out;
  out.reserve(text.size());
  int run = 0;
  QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
  for (qsizetype start = 0, end = graphemes.toNextBoundary(); end != -1; start = end, end = graphemes.toNextBoundary()) {
    const QStringView character = QStringView(text).mid(start, end - start);
    if (character.front().isSpace()) {
      run = 0;
    } else if (++run > kLongestUnbrokenRun) {
      out += QChar(0x200B);  // zero width space: a break opportunity, drawn as nothing
      run = 1;
    }
    out += character;
  }
  label->setText(out);
}

void setForeground(QWidget* widget, const QColor& color) {
  QPalette palette = widget->palette();
  for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) palette.setColor(role, color);
  widget->setPalette(palette);
}

}  // namespace ui
