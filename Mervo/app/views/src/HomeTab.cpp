#include "app_views/HomeTab.hpp"

#include <QUrl>
#include <QVBoxLayout>

#include "app/ProductWebsite.hpp"
#include "app_views/SetupGuideCard.hpp"
#include "app_views/Stacks.hpp"
#include "ui/Palette.hpp"
#include "ui/StyledButton.hpp"
#include "ui/Typography.hpp"
#include "ui/Workspace.hpp"

namespace mervo::views {
namespace {

// Secondary-coloured symbol and title, centred on a full-width light box.
ui::ButtonStyle visitWebsiteStyle() {
  ui::ButtonStyle style = ui::ButtonStyle::plain();
  style.font = ui::systemFont(16, ui::FontWeight::semibold);
  style.textColor = ui::color::secondaryLabel();
  style.background = {ui::color::withOpacity(ui::color::secondaryLabel(), 0.1),
                      ui::color::withOpacity(ui::color::secondaryLabel(), 0.2), 1, 12, QMargins(0, 14, 0, 14)};
  style.symbolSpacing = 12;
  return style;
}

}  // namespace

HomeTab::HomeTab(QWidget* parent) : QWidget(parent) {
  auto* guideAndActions = verticalStack(this, 25);
  guideAndActions->setContentsMargins(0, 0, 0, 30);
  guideAndActions->addWidget(new SetupGuideCard(false, this));
  auto* actions = new QVBoxLayout;
  actions->setSpacing(12);
  visitWebsite_ = new ui::StyledButton("Visit Website", visitWebsiteStyle(), this);
  visitWebsite_->setSymbol("globe", 16, ui::FontWeight::medium);
  visitWebsite_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  connect(visitWebsite_, &ui::StyledButton::clicked, this, [] {
    const QUrl site(kProductWebsite, QUrl::StrictMode);
    if (site.isValid()) ui::Workspace::shared().openURL(site);
  });
  actions->addWidget(visitWebsite_);
  guideAndActions->addLayout(actions);
}

}  // namespace mervo::views
