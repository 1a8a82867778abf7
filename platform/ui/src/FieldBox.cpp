#include "ui/FieldBox.hpp"

#include "ui/ContinuousRoundedRect.hpp"
#include "ui/FocusRing.hpp"
#include "ui/Palette.hpp"
#include "ui/Text.hpp"

#include <QEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace ui {
namespace {

constexpr int kRingWidth = 3;

}  // namespace

FieldBox::FieldBox(QWidget* editor, const FieldStyle& style, QWidget* parent) : QWidget(parent), editor_(editor) {
  editor_->setParent(this);
  editor_->setAutoFillBackground(false);
  editor_->installEventFilter(this);
  setFocusProxy(editor_);
  auto* layout = new QVBoxLayout(this);
  layout->setSpacing(0);
  layout->addWidget(editor_);
  setFieldStyle(style);
}

void FieldBox::setFieldStyle(const FieldStyle& style) {
  style_ = style;
  // The ring is drawn outside the box, so the box keeps room for it.
  const int ring = style.focusRing ? kRingWidth : 0;
  setContentsMargins(ring, ring, ring, ring);
  layout()->setContentsMargins(style.box.padding);
  editor_->setFont(style.font);
  setForeground(editor_, style.textColor);
  QPalette palette = editor_->palette();
  palette.setColor(QPalette::Base, Qt::transparent);
  palette.setColor(QPalette::PlaceholderText, color::placeholderText());
  editor_->setPalette(palette);
  update();
}

void FieldBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRectF box = contentsRect();
  if (style_.focusRing && editor_->hasFocus()) {
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal reach = kRingWidth / 2.0;
    painter.strokePath(continuousRoundedRect(box.adjusted(-reach, -reach, reach, reach), style_.box.cornerRadius + reach),
                       QPen(color::withOpacity(color::accent(), 0.5), kRingWidth));
  }
  paintBox(painter, box, style_.box);
  // A read-only text has no caret to show where the keyboard is, and in a
  // box without a ring of its own a caret alone is easily missed.
  const bool wearsKeyboardRing = editor_->property("readOnly").toBool() || !style_.focusRing;
  if (wearsKeyboardRing && showsFocusRing(*editor_))
    paintFocusRing(painter, box, style_.box.cornerRadius);
}

bool FieldBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == editor_ && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) update();
  return QWidget::eventFilter(watched, event);
}

}  // namespace ui
