#include "ui/qt_resources.h"

static void registerZapvaneResources() { Q_INIT_RESOURCE(zapvane); }

namespace zapvane {

void ensureResources() {
  static const bool registered = (registerZapvaneResources(), true);
  (void)registered;
}

QIcon programIcon() {
  ensureResources();
  QIcon icon;
  for (int size : {16, 32, 48, 64}) icon.addFile(QStringLiteral(":/icons/icon_%1.png").arg(size), QSize(size, size));
  return icon;
}

int unitsAcross(const QFontMetrics& metrics, int units) {
  const int average = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52;
  return units * average / 4;
}

int unitsDown(const QFontMetrics& metrics, int units) { return units * metrics.height() / 8; }

QRect fromDialogUnits(const QFontMetrics& metrics, int x, int y, int width, int height) {
  return QRect(unitsAcross(metrics, x), unitsDown(metrics, y), unitsAcross(metrics, width), unitsDown(metrics, height));
}

}  // namespace zapvane
