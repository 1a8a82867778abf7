// The main of every widget test program: the isolated test environment
// (temporary settings, data and bundle folders), the offscreen platform and
// one application in the kit's theme.

#include "test_support/TestEnvironment.hpp"
#include "ui/Theme.hpp"

#include <QApplication>

#include <gtest/gtest.h>

QUORBEL_TEST_ENVIRONMENT;

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ui::applyTheme(application);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
