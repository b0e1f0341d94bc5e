// The short beep that confirms a press and the end of a learn capture. The
// window plays the program's own WAV resource; where there is no audio
// device (or no window), a beeper that does nothing stands in.
//
// Threads: called from the transmit and learn workers.
#pragma once

namespace zapvane {

class Beeper {
 public:
  virtual ~Beeper() = default;
  // Starts the beep and returns at once.
  virtual void playAsync() = 0;
  // Returns when the beep has finished.
  virtual void playToEnd() = 0;
};

class SilentBeeper final : public Beeper {
 public:
  void playAsync() override {}
  void playToEnd() override {}
};

}  // namespace zapvane
