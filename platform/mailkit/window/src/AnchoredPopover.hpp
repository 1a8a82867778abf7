#pragma once

#include <QPointer>
#include <QWidget>

namespace mailkit {

// A frameless window that hangs from a widget of another window, as Mail's
// extension popover hangs from its toolbar button: below it (above it where
// the screen has no room below), following it when its window moves or
// resizes, and closing (deleting itself) on Escape or a press outside it.
// A press on the anchor is left to the anchor, which opens and closes it.
//
// It is a tool window rather than a Qt::Popup: a popup takes every mouse and
// key event of the program while it is open, so the alerts the popover's view
// opens could not be answered.
class AnchoredPopover : public QWidget {
 public:
  explicit AnchoredPopover(QWidget* anchor);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void place();
  bool holds(const QWidget* widget) const;

  QPointer<QWidget> anchor_;
};

}  // namespace mailkit
