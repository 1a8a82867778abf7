#include "ui/ScrollBars.hpp"

#include <QAbstractScrollArea>
#include <QScrollBar>

namespace ui {
namespace {

// The thumb keeps 2 points clear of every edge of its 10-point track.
constexpr const char* kScrollBarLook = R"(
QScrollBar { background: transparent; border: none; margin: 0; }
QScrollBar:vertical { width: 10px; }
QScrollBar:horizontal { height: 10px; }
QScrollBar::handle { background: rgba(0, 0, 0, 0.28); border-radius: 3px; margin: 2px; }
QScrollBar::handle:hover, QScrollBar::handle:pressed { background: rgba(0, 0, 0, 0.45); }
QScrollBar::handle:vertical { min-height: 24px; }
QScrollBar::handle:horizontal { min-width: 24px; }
QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; border: none; background: none; }
QScrollBar::add-page, QScrollBar::sub-page { background: none; }
)";

}  // namespace

void styleScrollBars(QAbstractScrollArea* area) {
  for (QScrollBar* bar : {area->verticalScrollBar(), area->horizontalScrollBar()}) bar->setStyleSheet(kScrollBarLook);
}

}  // namespace ui
