// The four things the frame encoder does to make light. PortPrimitives does
// them on the port and the pulse timer; FrameRecorder (frame_recorder.h)
// writes them down instead, so a frame can be listed and checked step by step.
#pragma once

#include <cstdint>

#include "ir/ir_port.h"
#include "ir/pulse_timer.h"

namespace zapvane {

class FramePrimitives {
 public:
  virtual ~FramePrimitives() = default;
  virtual void markStamp() = 0;
  virtual void writeBurst(int32_t bytes) = 0;
  virtual void waitSince(int32_t microseconds) = 0;
  virtual int32_t markToBytes(int32_t microseconds) const = 0;
};

class PortPrimitives final : public FramePrimitives {
 public:
  PortPrimitives(PulseTimer& timer, IrPort& port) : timer_(timer), port_(port) {}

  void markStamp() override { timer_.markStamp(); }
  void writeBurst(int32_t bytes) override {
    port_.writeBurst(bytes);
    timer_.noteBurst(bytes);
  }
  void waitSince(int32_t microseconds) override { timer_.waitSince(microseconds); }
  int32_t markToBytes(int32_t microseconds) const override { return timer_.markToBytes(microseconds); }

 private:
  PulseTimer& timer_;
  IrPort& port_;
};

}  // namespace zapvane
