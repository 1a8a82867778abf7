#include "app_views/SettingsCard.hpp"

#include <QVBoxLayout>

#include "app_views/Stacks.hpp"
#include "ui/Palette.hpp"
#include "ui/SymbolLabel.hpp"
#include "ui/Text.hpp"
#include "ui/Typography.hpp"

namespace mervo::views {
namespace {

ui::BoxStyle cardStyle(bool isCompact) {
  const int padding = compactOr(isCompact, 20, 24);
  return {ui::color::controlBackground(), ui::color::separator(), 1, 8, QMargins(padding, padding, padding, padding)};
}

}  // namespace

SettingsCard::SettingsCard(const QString& title, const QString& icon, QWidget* content, bool isCompact, QWidget* parent)
    : ui::RoundedCard(cardStyle(isCompact), parent), content_(content) {
  contentLayout()->setSpacing(16);
  auto* header = horizontalStack(10);
  header->addWidget(new ui::SymbolLabel(ui::SymbolIcon(icon, 16, ui::color::blue()), this));
  header->addWidget(ui::makeText(title, ui::systemFont(18, ui::FontWeight::semibold), ui::color::label(), this));
  header->addStretch();
  contentLayout()->addLayout(header);
  content->setParent(this);
  contentLayout()->addWidget(content);
}

}  // namespace mervo::views
