#include "app_views/StatusRow.hpp"

#include <QVBoxLayout>

#include "app_views/Stacks.hpp"
#include "ui/Palette.hpp"
#include "ui/SymbolLabel.hpp"
#include "ui/Text.hpp"
#include "ui/Typography.hpp"

namespace mervo::views {

StatusRow::StatusRow(const QString& title, const QString& subtitle, QWidget* parent)
    : ui::RoundedCard({ui::color::secondarySystemFill(), ui::color::clear(), 0, 8, QMargins(12, 12, 12, 12)}, parent),
      icon_(new ui::SymbolLabel(ui::SymbolIcon({}, 16, {}), this)) {
  setAccessibleName(title);
  auto* row = horizontalStack(8);
  row->addWidget(icon_);
  auto* texts = new QVBoxLayout;
  texts->setSpacing(2);
  texts->addWidget(ui::makeText(title, ui::font(ui::TextStyle::subheadline, ui::FontWeight::medium), ui::color::label(), this));
  texts->addWidget(ui::makeText(subtitle, ui::font(ui::TextStyle::caption), ui::color::secondaryLabel(), this));
  row->addLayout(texts);
  row->addStretch();
  contentLayout()->addLayout(row);
  setState(std::nullopt);
}

void StatusRow::setState(std::optional<bool> state) {
  if (!state) icon_->setSymbol(ui::SymbolIcon("questionmark.circle.fill", 16, ui::color::orange()));
  else if (*state) icon_->setSymbol(ui::SymbolIcon("checkmark.circle.fill", 16, ui::color::green()));
  else icon_->setSymbol(ui::SymbolIcon("xmark.circle.fill", 16, ui::color::red()));
}

}  // namespace mervo::views
