#include "frame_lateness_run.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "device_lookup.h"
#include "ir/frame_encoder.h"
#include "ir/frame_primitives.h"
#include "ir/ir_port.h"
#include "ir/pulse_timer.h"
#include "machine_load.h"
#include "platform/sim_transmitter.h"
#include "platform/thread_priority.h"
#include "spin_floor.h"

namespace zapvane::bench {

namespace {

constexpr auto kPauseBetweenFrames = std::chrono::milliseconds(10);
constexpr int64_t kNoDeadline = INT64_MIN;
// Far above the writes of one frame, so recording never allocates mid-frame.
constexpr size_t kWritesReserved = 4096;

// Passes every primitive through to the port and the timer, and remembers,
// for each write, the deadline of the last wait before it.
class DeadlineRecorder final : public FramePrimitives {
 public:
  DeadlineRecorder(PulseTimer& timer, IrPort& port) : timer_(timer), inner_(timer, port) {
    idealStarts_.reserve(kWritesReserved);
  }

  void beginFrame() {
    idealStarts_.clear();
    deadline_ = kNoDeadline;
  }

  void markStamp() override { inner_.markStamp(); }

  void writeBurst(int32_t bytes) override {
    inner_.writeBurst(bytes);
    // Bookkeeping after the write, so it never sits between a wait's end and
    // the burst it measures. A burst longer than the buffer is several
    // writes; only the first follows the wait.
    for (int32_t left = bytes; left > 0; left -= kBurstBufferBytes) {
      idealStarts_.push_back(deadline_);
      deadline_ = kNoDeadline;
    }
  }

  void waitSince(int32_t microseconds) override {
    deadline_ = timer_.burstStart() + static_cast<int64_t>(timer_.waitTicks(microseconds));
    inner_.waitSince(microseconds);
  }

  int32_t markToBytes(int32_t microseconds) const override { return inner_.markToBytes(microseconds); }

  // One entry per write the port made this frame; kNoDeadline where no wait
  // preceded it.
  const std::vector<int64_t>& idealStarts() const { return idealStarts_; }

 private:
  PulseTimer& timer_;
  PortPrimitives inner_;
  int64_t deadline_ = kNoDeadline;
  std::vector<int64_t> idealStarts_;
};

}  // namespace

std::vector<FrameTarget> chooseFrameTargets(const DeviceCatalogue& catalogue,
                                            const std::vector<const char*>& deviceNames, int commandsPerDevice) {
  std::vector<FrameTarget> targets;
  for (const char* name : deviceNames) {
    DeviceProfile* device = findDevice(catalogue, name);
    if (device == nullptr) {
      std::fprintf(stderr, "bench_burst_timing: no device '%s' in the catalogue\n", name);
      return {};
    }
    int taken = 0;
    for (int32_t command = 0; command < device->commandCount && taken < commandsPerDevice; ++command) {
      if (!commandExists(command, *device)) continue;
      targets.push_back({device, command});
      ++taken;
    }
  }
  return targets;
}

std::optional<FrameRunResult> timeFrames(Remote& remote, BenchPlatform& machine,
                                         const std::vector<FrameTarget>& targets, int frames) {
  IrPort& port = remote.port;
  machine.opened = nullptr;
  if (!port.openForSending() || machine.opened == nullptr) {
    port.closePort();
    return std::nullopt;
  }
  const SimTransmitter& sim = *machine.opened;
  DeadlineRecorder recorder(remote.timer, port);

  FrameRunResult result;
  const CpuUse before = sampleCpuUse();
  for (int frame = 0; frame < frames; ++frame) {
    const FrameTarget& target = targets[static_cast<size_t>(frame) % targets.size()];
    remote.current.device = target.device;
    recorder.beginFrame();
    remote.timer.startFrame();
    if (machine.priority().raiseToTimeCritical()) ++result.realtimeFrames;
    sendFrame(recorder, *target.device, target.command);
    machine.priority().dropToNormal();
    if (remote.timer.frameDisturbed()) ++result.disturbedFrames;

    const std::vector<Burst>& bursts = sim.pendingBursts();
    const std::vector<int64_t>& ideals = recorder.idealStarts();
    if (bursts.size() != ideals.size()) {
      std::fprintf(stderr, "bench_burst_timing: %zu bursts sent but %zu writes recorded\n", bursts.size(),
                   ideals.size());
      port.closePort();
      return std::nullopt;
    }
    for (size_t i = 0; i < bursts.size(); ++i) {
      if (ideals[i] != kNoDeadline) result.latenessTicks.push_back(bursts[i].startTick - ideals[i]);
    }
    ++result.frames;
    port.frameDone();
    std::this_thread::sleep_for(kPauseBetweenFrames);
  }
  const CpuUse after = sampleCpuUse();
  result.otherCores = otherCores(before, after);
  result.stolenMs = stolenMilliseconds(before, after);
  port.closePort();

  FloorRhythm rhythm;
  rhythm.pause = kPauseBetweenFrames;
  for (const FrameTarget& target : targets) {
    remote.current.device = target.device;
    rhythm.frames.push_back(frameSteps(remote.timer, *target.device, target.command));
  }
  result.floorTicks = spinFloor(remote.timer.counter(), remote.timer, rhythm, frames);
  return result;
}

}  // namespace zapvane::bench
