// FrameRecorder: frame primitives that write the encoder's steps down instead
// of sending them, for listing a frame (`zapvane-cli frame`) and for checking
// the encoder step by step. Byte counts come from the pulse timer, so the
// mark adjustment in force applies as it does on the port.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ir/frame_primitives.h"

namespace zapvane {

struct FrameStep {
  enum Kind { stamp, burst, wait } kind;
  int32_t value;  // bytes of a burst, the target of a wait

  bool operator==(const FrameStep&) const = default;
};

class FrameRecorder final : public FramePrimitives {
 public:
  explicit FrameRecorder(const PulseTimer& timer) : timer_(timer) {}

  void markStamp() override { steps_.push_back({FrameStep::stamp, 0}); }
  void writeBurst(int32_t bytes) override { steps_.push_back({FrameStep::burst, bytes}); }
  void waitSince(int32_t microseconds) override { steps_.push_back({FrameStep::wait, microseconds}); }
  int32_t markToBytes(int32_t microseconds) const override { return timer_.markToBytes(microseconds); }

  const std::vector<FrameStep>& steps() const { return steps_; }

 private:
  const PulseTimer& timer_;
  std::vector<FrameStep> steps_;
};

// One step per line: "stamp", "burst N", "wait N".
std::string frameStepLines(const std::vector<FrameStep>& steps);

}  // namespace zapvane
