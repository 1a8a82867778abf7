#include "ui/Theme.hpp"

#include "ui/FocusRing.hpp"
#include "ui/Palette.hpp"
#include "ui/Typography.hpp"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

namespace ui {
namespace {

QPalette lightPalette() {
  const QColor window(0xec, 0xec, 0xec);
  const QColor ink(Qt::black);
  QPalette palette;
  palette.setColor(QPalette::Window, window);
  palette.setColor(QPalette::WindowText, ink);
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::AlternateBase, QColor(0xf4, 0xf5, 0xf5));
  palette.setColor(QPalette::Text, ink);
  palette.setColor(QPalette::Button, Qt::white);
  palette.setColor(QPalette::ButtonText, color::withOpacity(ink, 0.85));
  palette.setColor(QPalette::Highlight, color::blue());
  palette.setColor(QPalette::HighlightedText, Qt::white);
  palette.setColor(QPalette::PlaceholderText, color::withOpacity(ink, 0.25));
  palette.setColor(QPalette::ToolTipBase, Qt::white);
  palette.setColor(QPalette::ToolTipText, ink);
  palette.setColor(QPalette::Link, color::blue());
  palette.setColor(QPalette::Light, Qt::white);
  palette.setColor(QPalette::Midlight, QColor(0xf5, 0xf5, 0xf5));
  palette.setColor(QPalette::Mid, QColor(0xc8, 0xc8, 0xc8));
  palette.setColor(QPalette::Dark, QColor(0xa0, 0xa0, 0xa0));
  palette.setColor(QPalette::Shadow, color::withOpacity(ink, 0.3));
  for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    palette.setColor(QPalette::Disabled, role, color::withOpacity(ink, 0.25));
  return palette;
}

}  // namespace

void applyTheme(QApplication& application) {
  if (auto* fusion = QStyleFactory::create("Fusion")) application.setStyle(fusion);
  application.setPalette(lightPalette());
  application.setFont(ui::font(TextStyle::body));
  (void)keyboardFocusMovedByKeyboard();  // starts watching how the focus moves
}

}  // namespace ui
