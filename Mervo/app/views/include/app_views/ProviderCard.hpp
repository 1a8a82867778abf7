#pragma once

#include "settings/LLMProvider.hpp"
#include "ui/RoundedCard.hpp"

namespace ui {
class SymbolLabel;
}

namespace mervo::views {

// One provider on the AI Models screen: its symbol, title and description,
// tinted blue with a check mark while it is the current provider. The whole
// card is the button.
class ProviderCard : public ui::RoundedCard {
  Q_OBJECT

 public:
  explicit ProviderCard(LLMProvider provider, QWidget* parent = nullptr);

  LLMProvider provider() const { return provider_; }
  void setSelected(bool selected);
  bool isSelected() const { return selected_; }
  ui::SymbolLabel* icon() const { return icon_; }
  ui::SymbolLabel* checkmark() const { return checkmark_; }

 private:
  LLMProvider provider_;
  bool selected_ = false;
  ui::SymbolLabel* icon_;
  ui::SymbolLabel* checkmark_;
};

}  // namespace mervo::views
