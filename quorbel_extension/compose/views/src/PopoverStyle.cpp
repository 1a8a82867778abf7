#include "compose_views/PopoverStyle.hpp"

#include <QApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>

#include <map>
#include <string>

namespace quorbel::views {

QFont textStyle(TextStyle style) {
  QFont font = QApplication::font();
  double base = font.pointSizeF() > 0 ? font.pointSizeF() : 10;
  switch (style) {
    case TextStyle::body: break;
    case TextStyle::headline: font.setBold(true); break;
    case TextStyle::title: font.setPointSizeF(base * 1.6); break;
    case TextStyle::callout: font.setPointSizeF(base * 0.95); break;
    case TextStyle::caption: font.setPointSizeF(base * 0.8); break;
  }
  return font;
}

QIcon symbolIcon(const char* symbol, std::optional<QColor> color) {
  // Drawn from text so no image files are needed.
  static const std::map<std::string, QString> glyphs{
      {"wand.and.stars", "✨"}, {"doc.on.doc", "⧉"}, {"arrow.up.left.and.arrow.down.right", "⤡"}};
  auto glyph = glyphs.find(symbol);
  if (glyph == glyphs.end()) return {};
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  QFont font = QApplication::font();
  font.setPixelSize(24);
  painter.setFont(font);
  painter.setPen(color.value_or(QApplication::palette().color(QPalette::ButtonText)));
  painter.drawText(pixmap.rect(), Qt::AlignCenter, glyph->second);
  return QIcon(pixmap);
}

QPushButton* prominentButton(const QString& label, const char* symbol, QWidget* parent) {
  auto* button = new QPushButton(symbolIcon(symbol), label, parent);
  button->setDefault(true);
  return button;
}

QWidget* progressLine(const QString& label, QWidget* parent) {
  auto* line = new QWidget(parent);
  auto* row = new QHBoxLayout(line);
  row->setContentsMargins(0, 0, 0, 0);
  auto* bar = new QProgressBar(line);
  bar->setRange(0, 0);
  bar->setTextVisible(false);
  bar->setMaximumWidth(60);
  row->addWidget(bar);
  auto* text = new QLabel(label, line);
  text->setObjectName("progressText");
  row->addWidget(text, 1);
  return line;
}

QLabel* errorLabel(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setWordWrap(true);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, Qt::red);
  label->setPalette(palette);
  return label;
}

}  // namespace quorbel::views
