// The beep through Qt Multimedia: the program's own WAV, played on the
// window thread whichever thread asks. Without an audio device nothing is
// heard and nothing fails.
#pragma once

#include <QObject>
#include <QSoundEffect>

#include "platform/beeper.h"

namespace zapvane {

class QtBeeper final : public QObject, public Beeper {
  Q_OBJECT

 public:
  QtBeeper();
  void playAsync() override;
  // Waits the length of the beep after starting it.
  void playToEnd() override;

 private:
  QSoundEffect effect_;
};

}  // namespace zapvane
