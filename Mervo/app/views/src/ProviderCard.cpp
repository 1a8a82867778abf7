#include "app_views/ProviderCard.hpp"

#include <QVBoxLayout>

#include "app_views/Stacks.hpp"
#include "ui/Palette.hpp"
#include "ui/SymbolLabel.hpp"
#include "ui/Text.hpp"
#include "ui/Typography.hpp"

namespace mervo::views {
namespace {

struct Presentation {
  const char* description;
  const char* icon;
};

Presentation presentation(LLMProvider provider) {
  switch (provider) {
    case LLMProvider::gemini: return {"Free built-in AI service", "sparkles"};
    case LLMProvider::openai: return {"Powerful GPT models from OpenAI", "brain.head.profile"};
    case LLMProvider::ollama: return {"Run models locally on your Mac", "desktopcomputer"};
    case LLMProvider::custom: return {"Connect to your own API endpoint", "server.rack"};
  }
  return {"", ""};
}

ui::BoxStyle cardStyle(bool selected) {
  using namespace ui::color;
  return {selected ? withOpacity(blue(), 0.2) : secondarySystemFill(), selected ? blue() : clear(), 1, 10,
          QMargins(12, 12, 12, 12)};
}

}  // namespace

ProviderCard::ProviderCard(LLMProvider provider, QWidget* parent)
    : ui::RoundedCard(cardStyle(false), parent), provider_(provider) {
  const auto look = presentation(provider);
  setClickable(true);
  const QString title = QString::fromUtf8(displayName(provider).data(), static_cast<qsizetype>(displayName(provider).size()));
  setAccessibleName(title);
  auto* row = horizontalStack(8);
  icon_ = new ui::SymbolLabel(ui::SymbolIcon(look.icon, 18, ui::color::secondaryLabel()), this);
  row->addWidget(icon_);
  auto* texts = new QVBoxLayout;
  texts->setSpacing(2);
  texts->addWidget(ui::makeText(title, ui::font(ui::TextStyle::subheadline, ui::FontWeight::medium), ui::color::label(), this));
  texts->addWidget(ui::makeText(look.description, ui::font(ui::TextStyle::caption), ui::color::secondaryLabel(), this));
  row->addLayout(texts);
  row->addStretch();
  checkmark_ = new ui::SymbolLabel(ui::SymbolIcon("checkmark.circle.fill", 16, ui::color::blue()), this);
  row->addWidget(checkmark_);
  contentLayout()->addLayout(row);
  setSelected(false);
}

void ProviderCard::setSelected(bool selected) {
  selected_ = selected;
  setBoxStyle(cardStyle(selected));
  icon_->setColor(selected ? ui::color::blue() : ui::color::secondaryLabel());
  checkmark_->setVisible(selected);
}

}  // namespace mervo::views
