#include "ui/screen_saver_inhibitor.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

namespace zapvane {

void ScreenSaverInhibitor::set(bool inhibit) {
  if (!QDBusConnection::sessionBus().isConnected()) return;
  QDBusInterface bus(QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver"),
                     QStringLiteral("org.freedesktop.ScreenSaver"), QDBusConnection::sessionBus());
  if (!bus.isValid()) return;
  if (inhibit && !held_) {
    const QDBusReply<uint32_t> reply =
        bus.call(QStringLiteral("Inhibit"), QStringLiteral("Zapvane"), QStringLiteral("Auto adjust is running"));
    if (reply.isValid()) {
      cookie_ = reply.value();
      held_ = true;
    }
  } else if (!inhibit && held_) {
    bus.call(QStringLiteral("UnInhibit"), cookie_);
    held_ = false;
  }
}

}  // namespace zapvane
