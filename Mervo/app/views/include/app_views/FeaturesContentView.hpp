#pragma once

#include <QWidget>

#include "app/FeatureManager.hpp"
#include "ui/Bindings.hpp"

class QGridLayout;

namespace mervo::views {

class FeatureItemView;

// The Features tab: a "Features" card holding a two-column grid with one
// card per catalogue entry, in catalogue order, redrawn when the catalogue
// changes.
class FeaturesContentView : public QWidget {
  Q_OBJECT

 public:
  FeaturesContentView(FeatureManager& featureManager, bool isCompact, QWidget* parent = nullptr);
  QList<FeatureItemView*> cards() const;

 private:
  void showFeatures(const std::vector<Feature>& features);

  bool isCompact_;
  QWidget* grid_;
  QGridLayout* gridLayout_;
  ui::Bindings bindings_;
};

}  // namespace mervo::views
