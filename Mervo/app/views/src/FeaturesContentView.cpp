#include "app_views/FeaturesContentView.hpp"

#include <QGridLayout>

#include "app_views/FeatureItemView.hpp"
#include "app_views/SettingsCard.hpp"
#include "app_views/Stacks.hpp"

namespace mervo::views {
namespace {

constexpr int kColumns = 2;

}  // namespace

FeaturesContentView::FeaturesContentView(FeatureManager& featureManager, bool isCompact, QWidget* parent)
    : QWidget(parent), isCompact_(isCompact), grid_(new QWidget), gridLayout_(new QGridLayout(grid_)) {
  auto* root = verticalStack(this, compactOr(isCompact, 16, 24));
  gridLayout_->setContentsMargins(0, 0, 0, 0);
  gridLayout_->setVerticalSpacing(16);
  gridLayout_->setHorizontalSpacing(8);
  for (int column = 0; column < kColumns; ++column) {
    gridLayout_->setColumnStretch(column, 1);
    gridLayout_->setColumnMinimumWidth(column, 10);
  }
  root->addWidget(new SettingsCard("Features", "star.fill", grid_, isCompact, this));
  root->addStretch();
  bindings_.observe<std::vector<Feature>>(featureManager.allFeatures,
                                          [this](const std::vector<Feature>& features) { showFeatures(features); });
}

void FeaturesContentView::showFeatures(const std::vector<Feature>& features) {
  for (auto* card : cards()) delete card;
  for (std::size_t i = 0; i < features.size(); ++i) {
    auto* card = new FeatureItemView(features[i], FeatureAccessStatus::available, isCompact_, grid_);
    card->setObjectName(QString::fromStdString(features[i].id));
    gridLayout_->addWidget(card, static_cast<int>(i) / kColumns, static_cast<int>(i) % kColumns);
  }
}

QList<FeatureItemView*> FeaturesContentView::cards() const {
  QList<FeatureItemView*> found;
  for (int index = 0; index < gridLayout_->count(); ++index)
    if (auto* card = qobject_cast<FeatureItemView*>(gridLayout_->itemAt(index)->widget())) found << card;
  return found;
}

}  // namespace mervo::views
