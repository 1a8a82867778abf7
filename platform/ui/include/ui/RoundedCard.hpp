#pragma once

#include "ui/BoxStyle.hpp"

#include <QWidget>

class QVBoxLayout;

namespace ui {

// A container drawn as a rounded box (fill, outline, continuous corners) that
// lays out its content in a column inside the box's padding. Made clickable,
// it serves as the plain-style button whose label is a whole row (provider
// cards): Tab reaches it, Space or Return presses it, and it shows the focus
// ring while it has focus.
class RoundedCard : public QWidget {
  Q_OBJECT

 public:
  explicit RoundedCard(const BoxStyle& style = {}, QWidget* parent = nullptr);

  void setBoxStyle(const BoxStyle& style);
  const BoxStyle& boxStyle() const { return style_; }

  // The column the content goes in (spacing 8); its margins are the padding.
  QVBoxLayout* contentLayout() const { return layout_; }

  void setClickable(bool clickable);

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  BoxStyle style_;
  QVBoxLayout* layout_;
  bool clickable_ = false;
  bool pressed_ = false;
};

}  // namespace ui
