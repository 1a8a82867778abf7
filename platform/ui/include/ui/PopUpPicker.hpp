#pragma once

#include <QComboBox>

namespace ui {

// A pop-up menu picker (the platform's default picker and its menu style):
// a white bezel with the chosen entry and an accent square with up/down
// chevrons. Entries carry their tag as item data (addItem(text, tag)), so
// `currentData()` is the bound value ("professional", a model name).
class PopUpPicker : public QComboBox {
  Q_OBJECT

 public:
  explicit PopUpPicker(QWidget* parent = nullptr);

  // Chooses the entry tagged `tag`; an unknown tag leaves the choice alone.
  void setCurrentTag(const QVariant& tag);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace ui
