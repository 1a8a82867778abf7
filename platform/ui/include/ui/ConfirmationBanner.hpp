#pragma once

#include <QLabel>

#include <chrono>

namespace ui {

// A short confirmation that shows for a while and goes ("Copied to
// Clipboard!", caption, green). Each flash schedules its own hiding and none
// cancels another: a second flash within the time still ends when the first
// one's time is up.
class ConfirmationBanner : public QLabel {
  Q_OBJECT

 public:
  explicit ConfirmationBanner(const QString& text, QWidget* parent = nullptr);

  void flash(std::chrono::milliseconds duration);
};

}  // namespace ui
