#include "ui/TextField.hpp"

#include <QLineEdit>
#include <QValidator>

#include <algorithm>

namespace ui {
namespace {

bool isLineBreak(QChar c) {
  return c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' || c == QChar(0x85) || c == QChar::LineSeparator ||
         c == QChar::ParagraphSeparator;
}

// Keeps a field on one line, whatever is pasted, dropped or set into it: the
// line breaks that end what was just inserted (those right before the
// cursor) and those at either end of the text go, and every other one (a
// "\r\n" counts once) becomes a space. A key pasted with its line break
// would otherwise be sent in a header, and an endpoint with one is no URL.
class SingleLineValidator : public QValidator {
 public:
  using QValidator::QValidator;

  State validate(QString& input, int& position) const override {
    if (std::none_of(input.cbegin(), input.cend(), isLineBreak)) return Acceptable;
    QString line;
    qsizetype cursor = -1;
    for (qsizetype i = 0; i < input.size();) {
      if (!isLineBreak(input[i])) {
        if (i == position) cursor = line.size();
        line += input[i++];
        continue;
      }
      qsizetype end = i;
      while (end < input.size() && isLineBreak(input[end])) ++end;
      const bool atAnEnd = i == 0 || end == input.size();
      for (qsizetype j = i; j < end; ++j) {
        if (j == position) cursor = line.size();
        const bool endsTheInsertion = j < position && position <= end;
        const bool secondOfAPair = input[j] == u'\n' && j > i && input[j - 1] == u'\r';
        if (!atAnEnd && !endsTheInsertion && !secondOfAPair) line += u' ';
      }
      i = end;
    }
    input = line;
    position = static_cast<int>(cursor < 0 ? line.size() : cursor);
    return Acceptable;
  }
};

}  // namespace

TextField::TextField(const QString& placeholder, const FieldStyle& style, QWidget* parent)
    : FieldBox(new QLineEdit, style, parent) {
  edit_ = static_cast<QLineEdit*>(focusProxy());
  edit_->setFrame(false);
  edit_->setPlaceholderText(placeholder);
  edit_->setTextMargins(0, 0, 0, 0);
  edit_->setValidator(new SingleLineValidator(edit_));
  // The box is drawn around the edit; a secure field shows a small bullet per
  // character rather than the style's large disc.
  edit_->setStyleSheet("QLineEdit { background: transparent; border: none; lineedit-password-character: 8226; }");
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  connect(edit_, &QLineEdit::textChanged, this, &TextField::textChanged);
  connect(edit_, &QLineEdit::returnPressed, this, &TextField::returnPressed);
}

QString TextField::text() const { return edit_->text(); }

QString TextField::asOneLine(const QString& text) {
  QString line = text;
  int end = static_cast<int>(line.size());
  SingleLineValidator().validate(line, end);
  return line;
}

void TextField::setText(const QString& text) {
  if (edit_->text() != text) edit_->setText(text);
}

void TextField::setSecure(bool secure) {
  edit_->setEchoMode(secure ? QLineEdit::Password : QLineEdit::Normal);
}

}  // namespace ui
