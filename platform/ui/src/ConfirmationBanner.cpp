#include "ui/ConfirmationBanner.hpp"

#include "ui/Palette.hpp"
#include "ui/Text.hpp"
#include "ui/Typography.hpp"

#include <QPointer>
#include <QTimer>

namespace ui {

ConfirmationBanner::ConfirmationBanner(const QString& text, QWidget* parent) : QLabel(text, parent) {
  setFont(ui::font(TextStyle::caption));
  setTextFormat(Qt::PlainText);
  setForeground(this, color::green());
  hide();
}

void ConfirmationBanner::flash(std::chrono::milliseconds duration) {
  show();
  QTimer::singleShot(duration, this, &QWidget::hide);
}

}  // namespace ui
