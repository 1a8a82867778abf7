#pragma once

#include <QWidget>

namespace ui {
class StyledButton;
}

namespace mervo::views {

// The first screen: the setup guide, then "Visit Website", which opens the
// product's page in the browser (each press opens it again).
class HomeTab : public QWidget {
  Q_OBJECT

 public:
  explicit HomeTab(QWidget* parent = nullptr);
  ui::StyledButton* visitWebsiteButton() const { return visitWebsite_; }

 private:
  ui::StyledButton* visitWebsite_;
};

}  // namespace mervo::views
