#pragma once

#include <QColor>
#include <QWidget>

namespace ui {

// A one-point horizontal rule across the stack, in the separator colour
// unless told otherwise.
class Divider : public QWidget {
  Q_OBJECT

 public:
  explicit Divider(QWidget* parent = nullptr);
  void setColor(const QColor& color);

  QSize sizeHint() const override { return {1, 1}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor color_;
};

}  // namespace ui
