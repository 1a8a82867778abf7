#pragma once

#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>

#include "compose_views/Bindings.hpp"

namespace quorbel::views {

// A titled section the user folds and unfolds, bound to an expansion field
// that the flows change too.
class DisclosureSection : public QWidget {
 public:
  DisclosureSection(const QString& title, platform::Published<bool>& expanded, QWidget* parent = nullptr);
  QVBoxLayout* contentLayout() const { return contentLayout_; }
  QToolButton* header() const { return header_; }
  QWidget* content() const { return content_; }

 private:
  QToolButton* header_;
  QWidget* content_;
  QVBoxLayout* contentLayout_;
  Bindings bindings_;
};

}  // namespace quorbel::views
