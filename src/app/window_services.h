// What the remote's logic asks of its window: drawing feedback, menus,
// dialogs, message boxes, pauses and closing. The Qt window implements it;
// tests put a recorder in its place and drive the logic without a display.
//
// Threads: window thread, except show and repaintNow, which a worker may
// call (the window then runs them on its own thread and returns when done;
// a window shutting down returns at once, running nothing).
#pragma once

#include <cstdint>

#include "platform/messages.h"

namespace zapvane {

enum class DialogId : int32_t {
  about,
  selectDevices,
  setupIrPort,
  userDevices,
  learnFunction,
  commandProperties,
  importRemote,  // the choice of a code file to import
};

class WindowServices : public MessageSink {
 public:
  // Inverts every pixel of hit-test result r's rectangle; again restores it.
  virtual void invertHotSpot(int32_t result) = 0;
  // Redraws the whole window now (removing any inversion) before returning.
  virtual void repaintNow() = 0;
  virtual void updateMenuStates() = 0;
  // Runs the dialog modally, owned by the window.
  virtual void runDialog(DialogId dialog) = 0;
  // Blocks the window thread, as the press feedback needs.
  virtual void sleepMilliseconds(int32_t milliseconds) = 0;
  virtual void destroyWindow() = 0;
};

}  // namespace zapvane
