// The main of every widget test program: offscreen platform, temporary
// settings and data folders, one application with the kit's theme.

#include "ui/Theme.hpp"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir home;
  qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
  qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
  QApplication application(argc, argv);
  ui::applyTheme(application);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
