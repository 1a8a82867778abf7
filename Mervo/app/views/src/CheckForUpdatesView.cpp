#include "app_views/CheckForUpdatesView.hpp"

#include <QAction>

#include "sparkle/Updater.hpp"

namespace mervo::views {

QAction* makeCheckForUpdatesAction(sparkle::Updater& updater, QObject* parent) {
  auto* action = new QAction(QString::fromUtf8("Check for Updates\u2026"), parent);
  QObject::connect(action, &QAction::triggered, action, [&updater] { updater.checkForUpdates(); });
  return action;
}

}  // namespace mervo::views
