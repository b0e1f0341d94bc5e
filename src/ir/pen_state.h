// The skin's shared words: which page is shown, what the pen pressed, and
// whether it is still down. The window writes them before it starts a
// worker and afterwards changes only buttonHeld, which the worker polls.
#pragma once

#include <atomic>
#include <cstdint>

namespace zapvane {

struct PenState {
  std::atomic<bool> shiftPage{false};
  std::atomic<int32_t> pressedButton{0};
  std::atomic<int32_t> shiftCommand{0};
  std::atomic<bool> buttonHeld{false};

  // The command a press sends: the hit test's shift command on the shift
  // page, the pressed hot spot on the main page.
  int32_t pressedCommand() const { return shiftPage ? shiftCommand.load() : pressedButton.load(); }
};

}  // namespace zapvane
