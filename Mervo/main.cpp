// Mervo: the settings application. Without arguments it opens its window,
// as a desktop launcher starts it; see kMervoUsage for the screenshot mode.

#include <QApplication>
#include <QTimer>
#include <QWindow>

#include <iostream>

#include "app/CommandLine.hpp"
#include "app/FatalError.hpp"
#include "app_views/ContentView.hpp"
#include "app_views/LLMConfigurationView.hpp"
#include "app_views/QuorbelApp.hpp"
#include "firebase_core/FIRException.hpp"
#include "foundation/Bundle.hpp"
#include "foundation/Console.hpp"
#include "qtbridge/ApplicationActivation.hpp"
#include "qtbridge/DisplayCheck.hpp"
#include "qtbridge/QtMainQueue.hpp"
#include "ui/Theme.hpp"

namespace {

using namespace mervo;

// Runs `shown` once, when the window is first on screen.
class FirstExposure : public QObject {
 public:
  FirstExposure(QWindow* window, std::function<void()> shown) : QObject(window), shown_(std::move(shown)) {
    window->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* window = static_cast<QWindow*>(watched);
    if (event->type() == QEvent::Expose && window->isExposed() && shown_) std::exchange(shown_, nullptr)();
    return false;
  }

 private:
  std::function<void()> shown_;
};

void saveScreenshot(QWidget& window, const std::filesystem::path& file) {
  const bool saved = window.grab().save(QString::fromStdString(file.string()));
  if (!saved) std::cerr << "Cannot write " << file << "\n";
  QApplication::exit(saved ? 0 : 1);
}

}  // namespace

int main(int argc, char** argv) {
  platform::process_info::setArguments(argc, argv);
  auto command = parseMervoCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!command) {
    std::cerr << command.error() << "\n" << kMervoUsage;
    return 2;
  }

  // Qt would abort without a display; say what to do instead.
  if (auto problem = platform::qtbridge::missingDisplay(argc, argv)) {
    std::cerr << "Mervo: " << *problem
              << ". Its window needs one: set the settings with the defaults command instead, or draw a tab into a "
                 "file with QT_QPA_PLATFORM=offscreen and --screenshot FILE.png.\n";
    return platform::qtbridge::kNoDisplayExitStatus;
  }

  QApplication application(argc, argv);
  ui::applyTheme(application);
  platform::qtbridge::installMainQueueDriver();
  platform::qtbridge::installClipboardPasteboard();
  platform::qtbridge::installApplicationActivationNotifications();

  std::unique_ptr<views::QuorbelApp> app;
  try {
    app = std::make_unique<views::QuorbelApp>();
  } catch (const firebase::FIRException& exception) {
    terminateWithUncaughtException(exception.name(), exception.reason());
  }
  auto window = app->makeWindow();
  window->contentView()->state().selectTab(command->tab);
  if (command->provider)
    static_cast<views::LLMConfigurationView*>(window->contentView()->tabContent())->selectProvider(*command->provider);
  if (command->size) window->resize(command->size->first, command->size->second + window->height() - 600);
  window->winId();  // makes the platform window that the exposure is watched on
  new FirstExposure(window->windowHandle(), [&window, &command] {
    platform::console::print("🪟 Mervo: Window shown at " + std::to_string(window->contentView()->width()) + "x" +
                             std::to_string(window->contentView()->height()));
    if (command->screenshot)
      QTimer::singleShot(0, window.get(), [&window, &command] { saveScreenshot(*window, *command->screenshot); });
  });
  window->show();
  window->activateWindow();
  return application.exec();
}
