#pragma once

#include <QColor>

#include "app/Feature.hpp"
#include "ui/RoundedCard.hpp"

namespace ui {
class LineLimitedText;
class SymbolLabel;
}  // namespace ui

namespace mervo::views {

enum class FeatureAccessStatus { available, comingSoon, hidden };

// How a card shows its status: symbol, text and colours.
struct FeatureStatusLook {
  QString symbol;
  QString text;
  QColor color;
  QColor fill;
  QColor border;
};
FeatureStatusLook statusLook(FeatureAccessStatus status);
QColor categoryColor(FeatureCategory category);

// One card of the Features grid: the feature's symbol in its category's
// colour and the status symbol, its name (one line) and description (two
// lines), and the status text, with "Coming Soon" after it while the feature
// is not yet available. Drawn at 0.7 opacity unless available.
class FeatureItemView : public ui::RoundedCard {
  Q_OBJECT

 public:
  FeatureItemView(const Feature& feature, FeatureAccessStatus status, bool isCompact, QWidget* parent = nullptr);

  const Feature& feature() const { return feature_; }
  FeatureAccessStatus status() const { return status_; }
  qreal cardOpacity() const;

  ui::SymbolLabel* icon() const { return icon_; }
  ui::SymbolLabel* statusIcon() const { return statusIcon_; }
  ui::LineLimitedText* nameText() const { return name_; }
  ui::LineLimitedText* descriptionText() const { return description_; }

 private:
  Feature feature_;
  FeatureAccessStatus status_;
  ui::SymbolLabel* icon_;
  ui::SymbolLabel* statusIcon_;
  ui::LineLimitedText* name_;
  ui::LineLimitedText* description_;
};

}  // namespace mervo::views
