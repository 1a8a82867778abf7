#include "app_views/Stacks.hpp"

#include "ui/Palette.hpp"
#include "ui/Text.hpp"
#include "ui/Typography.hpp"

namespace mervo::views {

QVBoxLayout* verticalStack(QWidget* owner, int spacing, int padding) {
  auto* stack = new QVBoxLayout(owner);
  stack->setContentsMargins(padding, padding, padding, padding);
  stack->setSpacing(spacing);
  return stack;
}

QHBoxLayout* horizontalStack(int spacing) {
  auto* stack = new QHBoxLayout;
  stack->setContentsMargins(0, 0, 0, 0);
  stack->setSpacing(spacing);
  return stack;
}

QLabel* wrappingText(const QString& text, const QFont& font, const QColor& color, QWidget* parent) {
  auto* label = ui::makeText(text, font, color, parent);
  label->setWordWrap(true);
  return label;
}

QVBoxLayout* titleAndDescription(const QString& title, const QString& description, bool isCompact, QWidget* parent) {
  auto* texts = new QVBoxLayout;
  texts->setSpacing(4);
  texts->addWidget(ui::makeText(title, ui::systemFont(compactOr(isCompact, 14, 16), ui::FontWeight::medium),
                                ui::color::label(), parent));
  texts->addWidget(wrappingText(description, ui::systemFont(compactOr(isCompact, 12, 14)), ui::color::secondaryLabel(), parent));
  return texts;
}

}  // namespace mervo::views
