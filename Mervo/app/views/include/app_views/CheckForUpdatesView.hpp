#pragma once

class QAction;
class QObject;

namespace sparkle {
class Updater;
}

namespace mervo::views {

// "Check for Updates…": always enabled; each choice asks the updater for a
// check the user sees (one asked for during a running check joins it).
QAction* makeCheckForUpdatesAction(sparkle::Updater& updater, QObject* parent);

}  // namespace mervo::views
