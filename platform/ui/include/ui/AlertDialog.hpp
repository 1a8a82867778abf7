#pragma once

#include <QDialog>
#include <QList>
#include <QPointer>

class QHBoxLayout;
class QLabel;

namespace ui {

class StyledButton;

// A confirmation alert: bold title, message, and a row of buttons. A cancel
// button answers Escape; Return presses the first plain button, or the
// cancel button when the others would destroy something; the keyboard
// focus starts on that button, and Tab goes along the row as it is drawn.
// Pressing any button emits `buttonClicked` with its index and closes the
// alert.
//
// It opens centred over the window it belongs to, and however it closes
// (a button, Escape, Return, its window's close button), that window is
// active again with the keyboard focus where it was when the alert opened:
// keys typed next go where the person was, never into another window.
class AlertDialog : public QDialog {
  Q_OBJECT

 public:
  enum class Role { plain, cancel, destructive };

  AlertDialog(const QString& title, const QString& message, QWidget* parent = nullptr);

  // Adds a button and returns its index; cancel buttons stand first in the row.
  int addButton(const QString& text, Role role = Role::plain);
  StyledButton* button(int index) const { return buttons_.value(index); }
  // The message under the title (centred; lists may want it leading); null
  // for an alert without one. Its text holds zero-width spaces where a long
  // token may break.
  QLabel* messageLabel() const { return message_; }
  // The index of the button that closed the alert, or -1.
  int clickedIndex() const { return clicked_; }
  // The control that has the focus back once the alert has closed, in place
  // of the one that had it when it opened (one that gave the focus away
  // while its work ran, being disabled meanwhile).
  void returnFocusTo(QWidget* control) { chosenFocus_ = control; }

  void setVisible(bool visible) override;

 signals:
  void buttonClicked(int index);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void press(int index);
  int defaultIndex() const;
  int cancelIndex() const;
  void placeOverItsWindow();
  void giveFocusBack();

  QLabel* message_ = nullptr;
  QList<StyledButton*> buttons_;
  QList<Role> roles_;
  QHBoxLayout* buttonRow_;
  int clicked_ = -1;
  QPointer<QWidget> chosenFocus_;
  QPointer<QWidget> returnFocus_;
  QPointer<QWidget> returnWindow_;
};

}  // namespace ui
