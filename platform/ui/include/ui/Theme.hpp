#pragma once

class QApplication;

namespace ui {

// Gives the application the light appearance the screens were designed in:
// the palette behind the semantic colours (window, control and text
// backgrounds, label, accent blue), the body font as default and the Fusion
// style for the few stock widgets the kit leaves to Qt (scroll bars, menus).
void applyTheme(QApplication& application);

}  // namespace ui
