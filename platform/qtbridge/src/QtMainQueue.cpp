#include "qtbridge/QtMainQueue.hpp"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <climits>

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
          // A timer waits at most ~24 days (its milliseconds are an int); one
          // due later wakes the queue early, which then asks again.
          auto delay = std::chrono::ceil<std::chrono::milliseconds>(when - Clock::now()).count();
          QTimer::singleShot(static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(delay, 0, INT_MAX)),
                             QCoreApplication::instance(), [] { RunLoop::drainMainQueue(); });
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
