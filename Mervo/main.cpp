// Mervo: the settings application. Without arguments it opens its window,
// as a desktop launcher starts it; see kMervoUsage for the screenshot mode.
// One Mervo runs per settings folder ($XDG_CONFIG_HOME): a later start for
// the same folder brings the running one to the front and ends.

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
#include "qtbridge/SingleInstance.hpp"
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

// The exit status of a --screenshot start that found Mervo already running
// for its settings folder, and so drew nothing.
constexpr int kAlreadyRunningExitStatus = 4;

// A later start for a settings folder that a running Mervo holds: that Mervo
// comes to the front, and this one ends before its start-up would make the
// built-in service current and save over what the running window shows.
int handOverToTheRunningMervo(const platform::qtbridge::SingleInstance& instance, const MervoCommand& command) {
  const auto folder = platform::paths::configHome().string();
  if (auto handed = instance.handOver(); !handed) {
    std::cerr << "Mervo: another Mervo runs for the settings in " << folder << ", but " << handed.error() << ".\n";
    return 1;
  }
  if (command.screenshot) {
    std::cerr << "Mervo: another Mervo runs for the settings in " << folder
              << "; its window came to the front and no picture was taken. Quit it, or set XDG_CONFIG_HOME to "
                 "another folder.\n";
    return kAlreadyRunningExitStatus;
  }
  platform::console::print("🪟 Mervo: Already running for the settings in " + folder + "; its window came to the front");
  return 0;
}

void bringToFront(QWidget& window) {
  window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
  window.show();
  window.raise();
  window.activateWindow();
  platform::console::print("🪟 Mervo: Window brought to the front for another start");
}

void saveScreenshot(QWidget& window, const std::filesystem::path& file) {
  const bool saved = window.grab().save(QString::fromStdString(file.string()));
  if (!saved) std::cerr << "Cannot write " << file << "\n";
  QApplication::exit(saved ? 0 : 1);
}

}  // namespace

int main(int argc, char** argv) {
  platform::process_info::setArguments(argc, argv);
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (isHelpRequest(arguments)) {
    std::cout << kMervoUsage;
    return 0;
  }
  auto command = parseMervoCommandLine(arguments);
  if (!command) {
    std::cerr << command.error() << "\n" << kMervoUsage;
    return 2;
  }

  // Qt would abort without a display; say what to do instead. The check
  // lives on until Qt has connected.
  const platform::qtbridge::DisplayCheck display(argc, argv);
  if (const auto& problem = display.missingDisplay()) {
    std::cerr << "Mervo: " << *problem
              << ". Its window needs one: set the settings with the defaults command instead, or draw a tab into a "
                 "file with QT_QPA_PLATFORM=offscreen and --screenshot FILE.png.\n";
    return platform::qtbridge::kNoDisplayExitStatus;
  }

  QApplication application(argc, argv);
  platform::qtbridge::SingleInstance instance("Mervo", platform::paths::configHome());
  if (instance.claim() == platform::qtbridge::SingleInstance::Claim::taken)
    return handOverToTheRunningMervo(instance, *command);
  if (instance.claim() == platform::qtbridge::SingleInstance::Claim::failed)
    std::cerr << "Mervo: cannot tell whether another Mervo runs for these settings (" << instance.claimFailure()
              << "); starting anyway.\n";
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
  QObject::connect(&instance, &platform::qtbridge::SingleInstance::anotherStartHandedOver, window.get(),
                   [&window] { bringToFront(*window); });
  window->winId();  // makes the platform window that the exposure is watched on
  new FirstExposure(window->windowHandle(), [&window, &command] {
    // A picture may be taller than the screen, where the window opens smaller.
    if (command->size)
      window->resize(command->size->first, command->size->second + window->height() - window->contentView()->height());
    platform::console::print("🪟 Mervo: Window shown at " + std::to_string(window->contentView()->width()) + "x" +
                             std::to_string(window->contentView()->height()));
    if (command->screenshot)
      QTimer::singleShot(0, window.get(), [&window, &command] { saveScreenshot(*window, *command->screenshot); });
  });
  window->show();
  window->activateWindow();
  return application.exec();
}
