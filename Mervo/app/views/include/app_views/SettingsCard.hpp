#pragma once

#include "ui/RoundedCard.hpp"

namespace mervo::views {

// A titled card around a settings section: the symbol (system 16, blue) and
// title (system 18 semibold) over the content, 16 apart, padded 20 when
// compact and 24 otherwise, on the control background with a separator-
// coloured outline, corner radius 8.
class SettingsCard : public ui::RoundedCard {
  Q_OBJECT

 public:
  SettingsCard(const QString& title, const QString& icon, QWidget* content, bool isCompact, QWidget* parent = nullptr);
  QWidget* content() const { return content_; }

 private:
  QWidget* content_;
};

}  // namespace mervo::views
