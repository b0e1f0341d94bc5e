#include "ui/qt_beeper.h"

#include <QThread>
#include <QUrl>

namespace zapvane {

namespace {
constexpr unsigned long kBeepMilliseconds = 1961 * 1000 / 11025 + 20;  // the samples, and a little slack
}

QtBeeper::QtBeeper() { effect_.setSource(QUrl(QStringLiteral("qrc:/sounds/beep.wav"))); }

void QtBeeper::playAsync() { QMetaObject::invokeMethod(&effect_, &QSoundEffect::play, Qt::QueuedConnection); }

void QtBeeper::playToEnd() {
  playAsync();
  QThread::msleep(kBeepMilliseconds);
}

}  // namespace zapvane
