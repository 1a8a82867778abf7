#pragma once

#include <optional>

#include "ui/RoundedCard.hpp"

namespace ui {
class SymbolLabel;
}

namespace mervo::views {

// One line of the AI Models screen's status: a fixed title and subtitle;
// only the symbol tells the state (an orange question mark before anything
// is known, a green check, a red cross).
class StatusRow : public ui::RoundedCard {
  Q_OBJECT

 public:
  StatusRow(const QString& title, const QString& subtitle, QWidget* parent = nullptr);

  void setState(std::optional<bool> state);
  ui::SymbolLabel* icon() const { return icon_; }

 private:
  ui::SymbolLabel* icon_;
};

}  // namespace mervo::views
