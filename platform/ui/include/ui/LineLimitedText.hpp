#pragma once

#include <QWidget>

namespace ui {

// A wrapping text cut to at most N lines, the last shown one ending in "…"
// when more would follow (a feature's one-line name, its two-line
// description). It asks for the height of the lines it shows at its width.
class LineLimitedText : public QWidget {
  Q_OBJECT

 public:
  LineLimitedText(const QString& text, const QFont& font, const QColor& color, int lineLimit, QWidget* parent = nullptr);

  void setText(const QString& text);
  const QString& text() const { return text_; }
  // The lines shown at the given width, after cutting.
  QStringList visibleLines(int width) const;

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
  QColor color_;
  int lineLimit_;
};

}  // namespace ui
