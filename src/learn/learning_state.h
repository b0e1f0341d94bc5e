// The learning workflow's words. learningMode and captureRunning are read by
// the window while the learn worker runs; the rest is written on the window
// thread while no capture runs.
#pragma once

#include <atomic>
#include <cstdint>

namespace zapvane {

struct LearningState {
  std::atomic<bool> learningMode{false};
  std::atomic<bool> captureRunning{false};
  std::atomic<int32_t> editedUserDevice{0};
  std::atomic<bool> editingExisting{false};
  std::atomic<int32_t> learnSlot{0};
  std::atomic<int32_t> labelSlot{0};
  // The last capture heard more than a learned signal holds and kept its
  // first pairs; whoever tells the user clears it.
  std::atomic<bool> signalCut{false};
};

}  // namespace zapvane
