#pragma once

#include <QWidget>

class QLabel;
class QVariantAnimation;

namespace ui {

// An indeterminate progress bar under its label ("Generating Reply..."),
// stretching across the width; the bar's stripe sweeps only while shown.
class ProgressIndicator : public QWidget {
  Q_OBJECT

 public:
  explicit ProgressIndicator(const QString& label, QWidget* parent = nullptr);

  void setLabel(const QString& label);
  QString label() const;
  bool isAnimating() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QRectF trackRect() const;

  QLabel* label_;
  QVariantAnimation* sweep_;
};

}  // namespace ui
