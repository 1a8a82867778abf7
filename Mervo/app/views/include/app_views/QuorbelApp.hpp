#pragma once

#include <functional>
#include <memory>

#include "app/PersistenceController.hpp"
#include "app_views/MainWindow.hpp"
#include "settings/UserSettings.hpp"
#include "sparkle_ui/StandardUpdaterController.hpp"

namespace mervo::views {

// Holds the updater for as long as the application runs; its checks start
// with it.
struct UpdaterService {
  sparkle_ui::StandardUpdaterController updaterController{true};
};

// The application: its start-up creates the shared objects in a fixed
// order, and its scene is the window. Create it on the main thread after
// the QApplication. A store that does not load, and a bundle without its
// options list, end the start here.
class QuorbelApp {
 public:
  QuorbelApp();

  // A new window showing the content, with the store's view context and the
  // shared user settings in its environment.
  std::unique_ptr<MainWindow> makeWindow();

  UpdaterService& updaterService() { return *updaterService_; }

 private:
  PersistenceController& persistenceController_;
  std::unique_ptr<UpdaterService> updaterService_;
  // Yields the shared settings when the first window is made, not before.
  std::function<UserSettings&()> userSettings_;
};

}  // namespace mervo::views
