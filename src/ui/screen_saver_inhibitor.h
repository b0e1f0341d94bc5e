// Keeps the desktop's screen saver away while auto adjust runs, through the
// session bus (org.freedesktop.ScreenSaver); where there is none, nothing
// happens. Plugged into IdleTimeouts::inhibit.
#pragma once

#include <cstdint>

namespace zapvane {

class ScreenSaverInhibitor {
 public:
  void set(bool inhibit);

 private:
  uint32_t cookie_ = 0;
  bool held_ = false;
};

}  // namespace zapvane
