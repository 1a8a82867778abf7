#pragma once

#include "ui/RoundedCard.hpp"

namespace mervo::views {

// One numbered step of the setup guide: a badge with the number, then the
// title over its wrapping description.
class SetupStepView : public QWidget {
  Q_OBJECT

 public:
  SetupStepView(const QString& number, const QString& title, const QString& description, bool isCompact,
                QWidget* parent = nullptr);
};

// How to make Mail quote the message being answered, which the compose
// assistant needs: a header and three steps.
class SetupGuideCard : public ui::RoundedCard {
  Q_OBJECT

 public:
  explicit SetupGuideCard(bool isCompact, QWidget* parent = nullptr);
};

}  // namespace mervo::views
