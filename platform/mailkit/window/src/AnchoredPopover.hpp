#pragma once

#include <QPointer>
#include <QWidget>

namespace mailkit {

// A frameless window that hangs from a widget of another window, as Mail's
// extension popover hangs from its toolbar button: below it (above it where
// the screen has no room below, and moved onto the screen where it has room
// for neither), following it when its window moves or resizes, and closing
// (deleting itself) on Escape, a press outside it, or when another window
// (of this program or another) becomes active. A press on the anchor is left
// to the anchor, which opens and closes it.
//
// It is a tool window rather than a Qt::Popup: a popup takes every mouse and
// key event of the program while it is open, so the alerts the popover's view
// opens could not be answered.
class AnchoredPopover : public QWidget {
 public:
  explicit AnchoredPopover(QWidget* anchor);

  // Shows `content` (which sets its own size), never taller or wider than
  // the screen's available area: a taller one is shortened to fit.
  void setContent(QWidget* content);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QRect room() const;
  void fitContent();
  void place();
  bool holds(const QWidget* widget) const;
  void closeUnlessOurs(QWindow* activated);

  QPointer<QWidget> anchor_;
  QPointer<QWidget> content_;
  // Where the popover's top left corner belongs, as it was last placed: Qt's
  // own records of it can be stale (see the LayoutRequest in eventFilter).
  // It hangs from its button, as Mail's does, which cannot be moved: a move
  // by the window manager (an Alt+drag) is undone at its next resize.
  QPoint corner_;
  // The popover has asked for the activation (as it opened, or an alert of
  // its closing on its behalf) and not had it since.
  bool awaitingActivation_ = true;
};

}  // namespace mailkit
