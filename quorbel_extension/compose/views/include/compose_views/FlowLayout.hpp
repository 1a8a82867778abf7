#pragma once

#include <QLayout>
#include <QList>

namespace quorbel::views {

// A row that wraps: its items stand left to right, each at its preferred
// width (an item that may grow horizontally at its minimum width), and an
// item that would not fit starts a new line below. On each line the items
// that may grow share the room that is left, and items are centred
// vertically. So a row of controls keeps its fonts and sizes in
// a narrow popover instead of being cut off or needing a horizontal scroll
// bar.
class FlowLayout : public QLayout {
 public:
  // `lineSpacing` separates wrapped lines; items stand the style's default
  // horizontal spacing apart unless setSpacing() says otherwise.
  explicit FlowLayout(int lineSpacing, QWidget* parent = nullptr);
  ~FlowLayout() override;

  void addItem(QLayoutItem* item) override;
  int count() const override { return static_cast<int>(items_.size()); }
  QLayoutItem* itemAt(int index) const override { return items_.value(index); }
  QLayoutItem* takeAt(int index) override;

  Qt::Orientations expandingDirections() const override { return Qt::Horizontal; }
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  // One line holding every item.
  QSize sizeHint() const override;
  // The widest single item: narrower than that nothing can fit.
  QSize minimumSize() const override;
  void setGeometry(const QRect& rect) override;

 private:
  int itemSpacing() const;
  // Places the items within `rect` (only measures when `apply` is false);
  // returns the height used.
  int arrange(const QRect& rect, bool apply) const;

  int lineSpacing_;
  QList<QLayoutItem*> items_;
};

}  // namespace quorbel::views
