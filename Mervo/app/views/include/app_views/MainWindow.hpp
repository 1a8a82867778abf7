#pragma once

#include <QMainWindow>

#include "app_views/AppEnvironment.hpp"

namespace sparkle {
class Updater;
}

namespace mervo::views {

class ContentView;

// The application's window: its menus (the application menu with "About
// Mervo" and, right after it, "Check for Updates…"; the File menu with the
// settings export and import) over the ContentView.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  MainWindow(AppEnvironment environment, sparkle::Updater& updater, QWidget* parent = nullptr);

  ContentView* contentView() const { return content_; }
  QMenu* applicationMenu() const { return applicationMenu_; }
  QMenu* fileMenu() const { return fileMenu_; }

 private:
  void showAbout();

  ContentView* content_;
  QMenu* applicationMenu_;
  QMenu* fileMenu_;
};

}  // namespace mervo::views
