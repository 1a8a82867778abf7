// The main of every widget test program: the isolated test environment
// (temporary settings, data and bundle folders), the offscreen platform and
// one application in the kit's theme.

#include "test_support/TestEnvironment.hpp"
#include "ui/Theme.hpp"

#include <QApplication>

#include <gtest/gtest.h>

QUORBEL_TEST_ENVIRONMENT;

namespace {

QtMessageHandler qtHandler = nullptr;

// The offscreen platform warns each time a window's size limits change,
// which widget tests do by the hundred; every other message is shown.
void quietSizeHintWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtWarningMsg && message == QLatin1String("This plugin does not support propagateSizeHints()")) return;
  qtHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
  // Offscreen, on a screen of the test's choosing where it names one.
  if (!qEnvironmentVariable("QT_QPA_PLATFORM").startsWith("offscreen:")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qtHandler = qInstallMessageHandler(quietSizeHintWarnings);
  QApplication application(argc, argv);
  ui::applyTheme(application);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
