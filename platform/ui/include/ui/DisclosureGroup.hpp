#pragma once

#include <QWidget>

class QAbstractButton;
class QVBoxLayout;
class QVariantAnimation;

namespace ui {

// A titled section that folds its content away: a header with a chevron that
// turns down when open. The user folds it by clicking the header (or Space);
// setExpanded() binds it to outside state; expandedChanged() reports every
// change of state either way. It unfolds with a short animation unless that
// is switched off.
class DisclosureGroup : public QWidget {
  Q_OBJECT

 public:
  explicit DisclosureGroup(const QString& title, QWidget* parent = nullptr);

  // The column the content goes in, below the header.
  QVBoxLayout* contentLayout() const { return contentLayout_; }
  QWidget* content() const { return content_; }
  QAbstractButton* header() const { return header_; }

  bool isExpanded() const { return expanded_; }
  void setExpanded(bool expanded);
  void setAnimated(bool animated) { animated_ = animated; }
  void setTitleColor(const QColor& color);

 signals:
  void expandedChanged(bool expanded);

 private:
  void showOpenness(qreal openness);

  QAbstractButton* header_;
  QWidget* content_;
  QVBoxLayout* contentLayout_;
  QVariantAnimation* unfold_;
  qreal openness_ = 0;
  bool expanded_ = false;
  bool animated_ = true;
};

}  // namespace ui
