#include "ui/AlertDialog.hpp"

#include "ui/ButtonStyle.hpp"
#include "ui/OnScreen.hpp"
#include "ui/Palette.hpp"
#include "ui/StyledButton.hpp"
#include "ui/Text.hpp"
#include "ui/Typography.hpp"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWindow>


namespace ui {
namespace {

constexpr int kWidth = 260;
constexpr int kHorizontalMargin = 16;
constexpr int kTextWidth = kWidth - 2 * kHorizontalMargin;
// A message taller than this scrolls inside the alert.
constexpr int kMaximumMessageHeight = 360;

// A window is sized from its layout's minimum, which knows nothing of how tall
// a wrapped label is at a given width; so the text gets its height at the
// alert's width, or its last lines would be cut off. A long token (an error's
// domain, an address) gets break opportunities, or it would stand wider than
// the alert and be cut off at both ends.
QLabel* centredText(const QString& text, const QFont& font, QWidget* parent) {
  auto* label = makeText(QString(), font, color::label(), parent);
  setWrappingText(label, text);
  label->setAlignment(Qt::AlignHCenter);
  label->setWordWrap(true);
  label->setMinimumHeight(label->heightForWidth(kTextWidth));
  return label;
}

// The message, in a scroll view when it is taller than an alert should be.
QWidget* messageView(QLabel* message, QWidget* parent) {
  if (message->minimumHeight() <= kMaximumMessageHeight) return message;
  auto* scroller = new QScrollArea(parent);
  scroller->setFrameShape(QFrame::NoFrame);
  scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroller->setWidgetResizable(true);
  scroller->viewport()->setAutoFillBackground(false);
  scroller->setFixedHeight(kMaximumMessageHeight);
  // The text wraps at the view's width, even past a word too long for it, and
  // the scroll bar takes its room from that width.
  message->setSizePolicy(QSizePolicy::Ignored, message->sizePolicy().verticalPolicy());
  message->setMinimumHeight(message->heightForWidth(kTextWidth - scroller->verticalScrollBar()->sizeHint().width()));
  scroller->setWidget(message);
  return scroller;
}

}  // namespace

AlertDialog::AlertDialog(const QString& title, const QString& message, QWidget* parent)
    : QDialog(parent), buttonRow_(new QHBoxLayout) {
  setWindowTitle(title);
  setModal(true);
  setFixedWidth(kWidth);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(kHorizontalMargin, 20, kHorizontalMargin, 16);
  column->setSpacing(6);
  column->addWidget(centredText(title, systemFont(13, FontWeight::bold), this));
  if (!message.isEmpty()) {
    message_ = centredText(message, systemFont(11), this);
    column->addWidget(messageView(message_, this));
  }
  column->addSpacing(14);
  buttonRow_->setSpacing(8);
  column->addLayout(buttonRow_);
}

int AlertDialog::addButton(const QString& text, Role role) {
  const int index = static_cast<int>(buttons_.size());
  auto* button = new StyledButton(text, role == Role::destructive ? ButtonStyle::destructive() : ButtonStyle::bordered(), this);
  // Buttons share the row equally, whatever their titles.
  button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  connect(button, &QAbstractButton::clicked, this, [this, index] { press(index); });
  buttons_.append(button);
  roles_.append(role);
  if (role == Role::cancel) buttonRow_->insertWidget(0, button, 1);
  else buttonRow_->addWidget(button, 1);
  // Tab goes along the row as it is drawn, not in the order the buttons came.
  for (int i = 1; i < buttonRow_->count(); ++i)
    setTabOrder(buttonRow_->itemAt(i - 1)->widget(), buttonRow_->itemAt(i)->widget());
  // The default button wears the accent.
  for (int i = 0; i < buttons_.size(); ++i) {
    if (roles_[i] == Role::destructive) continue;
    buttons_[i]->setButtonStyle(i == defaultIndex() ? ButtonStyle::borderedProminent() : ButtonStyle::bordered());
  }
  return index;
}

int AlertDialog::defaultIndex() const {
  const int plain = static_cast<int>(roles_.indexOf(Role::plain));
  return plain >= 0 ? plain : cancelIndex();
}

int AlertDialog::cancelIndex() const {
  const int cancel = static_cast<int>(roles_.indexOf(Role::cancel));
  // A lone button (the "OK" of a notice) also answers Escape.
  return cancel >= 0 ? cancel : (buttons_.size() == 1 ? 0 : -1);
}

void AlertDialog::press(int index) {
  clicked_ = index;
  emit buttonClicked(index);
  if (roles_.value(index) == Role::cancel) reject();
  else accept();
}

void AlertDialog::setVisible(bool visible) {
  const bool opening = visible && !isVisible();
  const bool closing = !visible && isVisible();
  if (opening) {
    returnFocus_ = chosenFocus_ ? chosenFocus_.data() : QApplication::focusWidget();
    returnWindow_ = returnFocus_ ? returnFocus_->window() : parentWidget() ? parentWidget()->window() : nullptr;
    placeOverItsWindow();
    // The keyboard starts on the button Return presses, so that Space never
    // presses one that destroys something unasked.
    if (StyledButton* button = buttons_.value(defaultIndex())) button->setFocus(Qt::OtherFocusReason);
  }
  // Asked for while the alert is still the active window: a window manager
  // grants that to the window it belongs to, where once the alert is gone it
  // would already have activated one of its own choosing (the main window
  // rather than the popover) and refuse to change that.
  if (closing) giveFocusBack();
  QDialog::setVisible(visible);
}

// Left to it, a window manager places the alert where it sees fit, not
// necessarily over its window; so the alert says where.
void AlertDialog::placeOverItsWindow() {
  if (!testAttribute(Qt::WA_Resized)) adjustSize();
  const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
  const QScreen* screen = owner ? owner->screen() : this->screen();
  if (!screen) return;
  const QRect room = screen->availableGeometry();
  const QRect over = owner && owner->isVisible() ? owner->frameGeometry() : room;
  create();  // its frame, where the platform knows it before the window shows
  const QSize size = this->size().grownBy(windowHandle() ? windowHandle()->frameMargins() : QMargins());
  const QPoint centred = over.center() - QPoint(size.width() / 2, size.height() / 2);
  move(placedWithin(room, QRect(centred, size)));
}

void AlertDialog::giveFocusBack() {
  if (!returnWindow_ || !returnWindow_->isVisible()) return;
  returnWindow_->activateWindow();
  // Given while the window is not yet active again, the focus arrives as it becomes so.
  if (returnFocus_ && returnFocus_->window() == returnWindow_ && returnFocus_->isVisible() && returnFocus_->isEnabled())
    returnFocus_->setFocus(Qt::OtherFocusReason);
}

void AlertDialog::keyPressEvent(QKeyEvent* event) {
  const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  const int index = isReturn ? defaultIndex() : event->key() == Qt::Key_Escape ? cancelIndex() : -1;
  if (index >= 0) press(index);
  else if (!isReturn && event->key() != Qt::Key_Escape) QDialog::keyPressEvent(event);
}

void AlertDialog::paintEvent(QPaintEvent*) { QPainter(this).fillRect(rect(), color::windowBackground()); }

}  // namespace ui
