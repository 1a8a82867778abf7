#include "qtbridge/ApplicationActivation.hpp"

#include <QGuiApplication>

#include "foundation/NotificationCenter.hpp"

namespace platform::qtbridge {

void installApplicationActivationNotifications() {
  QObject::connect(qGuiApp, &QGuiApplication::applicationStateChanged, qGuiApp, [](Qt::ApplicationState state) {
    if (state == Qt::ApplicationActive)
      NotificationCenter::defaultCenter().post(kApplicationDidBecomeActiveNotification);
  });
}

}  // namespace platform::qtbridge
