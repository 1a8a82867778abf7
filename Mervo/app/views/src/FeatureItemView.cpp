#include "app_views/FeatureItemView.hpp"

#include <QGraphicsOpacityEffect>
#include <QVBoxLayout>

#include "app_views/Stacks.hpp"
#include "ui/LineLimitedText.hpp"
#include "ui/Palette.hpp"
#include "ui/SymbolLabel.hpp"
#include "ui/Text.hpp"
#include "ui/Typography.hpp"

namespace mervo::views {
namespace {

ui::BoxStyle cardStyle(const FeatureStatusLook& look, bool isCompact) {
  const int padding = compactOr(isCompact, 10, 12);
  return {look.fill, look.border, 1, 8, QMargins(padding, padding, padding, padding)};
}

QString qt(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

FeatureStatusLook statusLook(FeatureAccessStatus status) {
  using namespace ui::color;
  switch (status) {
    case FeatureAccessStatus::available:
      return {"checkmark.circle.fill", "Available", green(), controlBackground(), withOpacity(green(), 0.3)};
    case FeatureAccessStatus::comingSoon:
      return {"clock.fill", "Coming Soon", orange(), withOpacity(orange(), 0.1), withOpacity(orange(), 0.3)};
    case FeatureAccessStatus::hidden:
      return {"", "", clear(), clear(), clear()};
  }
  return {};
}

QColor categoryColor(FeatureCategory category) {
  using namespace ui::color;
  switch (category) {
    case FeatureCategory::core: return blue();
    case FeatureCategory::ai: return purple();
    case FeatureCategory::productivity: return green();
    case FeatureCategory::integration: return orange();
    case FeatureCategory::advanced: return red();
  }
  return blue();
}

FeatureItemView::FeatureItemView(const Feature& feature, FeatureAccessStatus status, bool isCompact, QWidget* parent)
    : ui::RoundedCard(cardStyle(statusLook(status), isCompact), parent), feature_(feature), status_(status) {
  const auto look = statusLook(status);
  auto* column = contentLayout();
  column->setSpacing(compactOr(isCompact, 8, 10));

  auto* header = horizontalStack(6);
  icon_ = new ui::SymbolLabel(ui::SymbolIcon(qt(feature.icon), compactOr(isCompact, 16, 18), categoryColor(feature.category)), this);
  statusIcon_ = new ui::SymbolLabel(ui::SymbolIcon(look.symbol, compactOr(isCompact, 12, 14), look.color), this);
  header->addWidget(icon_);
  header->addStretch();
  header->addWidget(statusIcon_);
  column->addLayout(header);

  auto* texts = new QVBoxLayout;
  texts->setSpacing(4);
  name_ = new ui::LineLimitedText(qt(feature.name), ui::systemFont(compactOr(isCompact, 13, 14), ui::FontWeight::semibold),
                                  ui::color::label(), 1, this);
  description_ = new ui::LineLimitedText(qt(feature.description), ui::systemFont(compactOr(isCompact, 11, 12)),
                                         ui::color::secondaryLabel(), 2, this);
  texts->addWidget(name_);
  texts->addWidget(description_);
  column->addLayout(texts);
  column->addStretch();

  auto* badge = horizontalStack(6);
  badge->addWidget(ui::makeText(look.text, ui::systemFont(compactOr(isCompact, 9, 10), ui::FontWeight::medium), look.color, this));
  badge->addStretch();
  if (!feature.isCurrentlyAvailable)
    badge->addWidget(ui::makeText("Coming Soon", ui::systemFont(compactOr(isCompact, 8, 9)), ui::color::orange(), this));
  column->addLayout(badge);

  if (status != FeatureAccessStatus::available) {
    auto* dimmed = new QGraphicsOpacityEffect(this);
    dimmed->setOpacity(0.7);
    setGraphicsEffect(dimmed);
  }
}

qreal FeatureItemView::cardOpacity() const {
  auto* effect = qobject_cast<QGraphicsOpacityEffect*>(graphicsEffect());
  return effect ? effect->opacity() : 1.0;
}

}  // namespace mervo::views
