#pragma once

#include <QStringList>
#include <QWidget>

namespace ui {

// A segmented picker: one segment per option across the width, the chosen
// one raised in white; a title, when given, stands before it. `activated`
// reports the user's choice; `currentIndexChanged` every change, also one
// made by setCurrentIndex().
class SegmentedPicker : public QWidget {
  Q_OBJECT

 public:
  explicit SegmentedPicker(const QStringList& options, QWidget* parent = nullptr);

  void setTitle(const QString& title);
  const QStringList& options() const { return options_; }
  int currentIndex() const { return current_; }
  void setCurrentIndex(int index);

  // Where segment `index` lies, for clicking it in tests and for tooltips.
  QRect segmentRect(int index) const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  void activated(int index);
  void currentIndexChanged(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void choose(int index);
  QRectF trackRect() const;
  qreal titleWidth() const;

  QStringList options_;
  QString title_;
  int current_ = 0;
};

}  // namespace ui
