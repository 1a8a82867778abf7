#include "qtbridge/QtMainQueue.hpp"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QObject>
#include <QTimer>

#include <chrono>

#include "foundation/Dispatch.hpp"
#include "foundation/Pasteboard.hpp"

namespace platform::qtbridge {

namespace {

// Wake-ups may come from any thread; each is posted to the application
// object's (main) thread, where a timer drains the queue when the work is due.
class QtMainQueueDriver : public MainQueueDriver {
 public:
  void wakeUp(Clock::time_point when) override {
    if (when == Clock::time_point::max()) return;  // nothing is due
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [when] {
          auto delay = std::chrono::ceil<std::chrono::milliseconds>(when - Clock::now());
          QTimer::singleShot(std::max<std::chrono::milliseconds::rep>(0, delay.count()), QCoreApplication::instance(),
                             [] { RunLoop::drainMainQueue(); });
        },
        Qt::QueuedConnection);
  }
};

}  // namespace

void installMainQueueDriver() {
  static QtMainQueueDriver driver;
  setMainQueueDriver(&driver);
  QObject::connect(QCoreApplication::instance(), &QObject::destroyed, [] { setMainQueueDriver(nullptr); });
}

void installClipboardPasteboard() {
  Pasteboard::general().setBackend({
      [](const std::string& text) { QGuiApplication::clipboard()->setText(QString::fromStdString(text)); },
      []() -> std::optional<std::string> { return QGuiApplication::clipboard()->text().toStdString(); },
  });
  QObject::connect(QCoreApplication::instance(), &QObject::destroyed, [] { Pasteboard::general().setBackend({}); });
}

}  // namespace platform::qtbridge
