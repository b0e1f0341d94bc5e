// The commands of the window's menus and of the learn capture's reports.
#pragma once

#include <cstdint>

namespace zapvane {

enum class MenuCommand : int32_t {
  learnDialog,   // a capture ended: show the Learn function dialog again
  nameCommand,   // a capture ended on a shift-page command: name it first
  about,
  exit,
  selectDevices,
  setupIrPort,
  sound,
  startLearn,
  stopLearn,
  importRemote,  // Learn! > Import remote...: a code file becomes a user device
};

}  // namespace zapvane
