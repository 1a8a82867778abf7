#include "ui/TextField.hpp"

#include <QLineEdit>

namespace ui {

TextField::TextField(const QString& placeholder, const FieldStyle& style, QWidget* parent)
    : FieldBox(new QLineEdit, style, parent) {
  edit_ = static_cast<QLineEdit*>(focusProxy());
  edit_->setFrame(false);
  edit_->setPlaceholderText(placeholder);
  edit_->setTextMargins(0, 0, 0, 0);
  // The box is drawn around the edit; a secure field shows a small bullet per
  // character rather than the style's large disc.
  edit_->setStyleSheet("QLineEdit { background: transparent; border: none; lineedit-password-character: 8226; }");
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  connect(edit_, &QLineEdit::textChanged, this, &TextField::textChanged);
  connect(edit_, &QLineEdit::returnPressed, this, &TextField::returnPressed);
}

QString TextField::text() const { return edit_->text(); }

void TextField::setText(const QString& text) {
  if (edit_->text() != text) edit_->setText(text);
}

void TextField::setSecure(bool secure) {
  edit_->setEchoMode(secure ? QLineEdit::Password : QLineEdit::Normal);
}

}  // namespace ui
