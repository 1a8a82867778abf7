#include "compose_views/FlowLayout.hpp"

#include <QStyle>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace quorbel::views {

FlowLayout::FlowLayout(int lineSpacing, QWidget* parent) : QLayout(parent), lineSpacing_(lineSpacing) {
  setContentsMargins(0, 0, 0, 0);
}

FlowLayout::~FlowLayout() { qDeleteAll(items_); }

void FlowLayout::addItem(QLayoutItem* item) { items_.append(item); }

QLayoutItem* FlowLayout::takeAt(int index) {
  return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

int FlowLayout::itemSpacing() const {
  if (spacing() >= 0) return spacing();
  const QWidget* owner = parentWidget();
  return owner ? owner->style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing, nullptr, owner) : 6;
}

int FlowLayout::heightForWidth(int width) const { return arrange(QRect(0, 0, width, 0), false); }

QSize FlowLayout::sizeHint() const {
  QSize size;
  int shown = 0;
  for (auto* item : items_) {
    if (item->isEmpty()) continue;
    QSize hint = item->sizeHint();
    size.rwidth() += hint.width() + (shown++ > 0 ? itemSpacing() : 0);
    size.setHeight(std::max(size.height(), hint.height()));
  }
  QMargins margins = contentsMargins();
  return size.grownBy(margins);
}

QSize FlowLayout::minimumSize() const {
  QSize size;
  for (auto* item : items_)
    if (!item->isEmpty()) size = size.expandedTo(item->minimumSize());
  return size.grownBy(contentsMargins());
}

void FlowLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  arrange(rect, true);
}

namespace {

bool grows(const QLayoutItem* item) { return item->expandingDirections() & Qt::Horizontal; }

// The width an item needs on a line: what it prefers, or for an item that
// grows, the least it can do with; it gets its share of the rest.
int neededWidth(const QLayoutItem* item) { return grows(item) ? item->minimumSize().width() : item->sizeHint().width(); }

}  // namespace

int FlowLayout::arrange(const QRect& rect, bool apply) const {
  const QRect area = rect.marginsRemoved(contentsMargins());
  const int spacing = itemSpacing();
  std::vector<QLayoutItem*> shown;
  for (auto* item : items_)
    if (!item->isEmpty()) shown.push_back(item);

  int top = area.top();
  for (std::size_t first = 0; first < shown.size();) {
    // As many items as fit; always at least one.
    std::size_t end = first + 1;
    int used = neededWidth(shown[first]);
    while (end < shown.size() && used + spacing + neededWidth(shown[end]) <= area.width())
      used += spacing + neededWidth(shown[end++]);

    int growing = static_cast<int>(std::count_if(shown.begin() + first, shown.begin() + end, grows));
    int room = std::max(0, area.width() - used);
    int lineHeight = 0;
    for (std::size_t i = first; i < end; ++i) lineHeight = std::max(lineHeight, shown[i]->sizeHint().height());

    int left = area.left();
    for (std::size_t i = first; i < end; ++i) {
      QLayoutItem* item = shown[i];
      int width = neededWidth(item);
      if (grows(item)) width += room / growing;
      width = std::clamp(width, item->minimumSize().width(), std::max(item->minimumSize().width(), area.right() + 1 - left));
      int height = item->sizeHint().height();
      if (apply) item->setGeometry(QRect(left, top + (lineHeight - height) / 2, width, height));
      left += width + spacing;
    }
    top += lineHeight + (end < shown.size() ? lineSpacing_ : 0);
    first = end;
  }
  return top - area.top() + contentsMargins().top() + contentsMargins().bottom();
}

}  // namespace quorbel::views
