#include "held_button_run.h"

#include <atomic>
#include <cstdio>
#include <thread>

#include <iostream>
#include <memory>

#include "app/remote.h"
#include "bench_platform.h"
#include "device_lookup.h"
#include "ideal_repetition.h"
#include "machine_load.h"
#include "platform/performance_counter.h"
#include "platform/sim_transmitter.h"
#include "platform/thread_priority.h"
#include "spin_floor.h"
#include "wait_deadlines.h"

namespace zapvane::bench {

namespace {

// The shortest repetition is a 9 ms pause after a frame of a few ms; room
// for one every 5 ms is ample.
constexpr int64_t kMillisecondsPerFrameReserved = 5;
constexpr size_t kSpareFrames = 16;

// The real scheduler, counting how often time-critical priority was asked
// for and granted (the worker itself ignores the answer), and timing the
// worker's stretches at normal priority: from asking to drop after a frame's
// gap until the raise after its pause has returned.
class GrantCountingPriority final : public ThreadPriority {
 public:
  GrantCountingPriority(PerformanceCounter& clock, size_t frames) : clock_(clock) {
    dropTicks_.reserve(frames + 1);
    raisedTicks_.reserve(frames + 1);
  }

  bool raiseToTimeCritical() override {
    const bool granted = real_.raiseToTimeCritical();
    if (raisedTicks_.size() < raisedTicks_.capacity()) raisedTicks_.push_back(clock_.now());
    ++raises;
    if (granted) ++grants;
    return granted;
  }
  void dropToNormal() override {
    if (dropTicks_.size() < dropTicks_.capacity()) dropTicks_.push_back(clock_.now());
    real_.dropToNormal();
  }

  // Read only once the worker has been joined. The first raise precedes the
  // first frame, so raise k + 1 ends the stretch that drop k began.
  const std::vector<int64_t>& dropTicks() const { return dropTicks_; }
  const std::vector<int64_t>& raisedTicks() const { return raisedTicks_; }

  std::atomic<int> raises{0};
  std::atomic<int> grants{0};

 private:
  PerformanceCounter& clock_;
  RealThreadPriority real_;
  std::vector<int64_t> dropTicks_;
  std::vector<int64_t> raisedTicks_;
};

// What the worker's frames leave behind, written on the worker thread at
// each frameDone, between the frame gap and the pause: the time spent here
// lengthens the repetition, so it is kept to comparisons and stores into
// room reserved beforehand.
class RepetitionLog {
 public:
  RepetitionLog(DeadlineCatchingCounter& deadlines, const IdealRepetition& ideal, size_t frames)
      : deadlines_(deadlines), ideal_(ideal) {
    frameStarts_.reserve(frames);
    lateness_.reserve(frames * (ideal.burstBytes.size() + 1));
  }

  void takeFrame(const std::vector<Burst>& bursts) {
    if (frameStarts_.size() == frameStarts_.capacity()) overflowed_ = true;
    if (!deadlines_.takeFrame(bursts, lateness_)) overflowed_ = true;
    if (overflowed_) return;
    if (!sameFrame(bursts)) ++strangeFrames_;
    frameStarts_.push_back(bursts.front().startTick);
  }

  const std::vector<int64_t>& frameStarts() const { return frameStarts_; }
  const std::vector<int64_t>& lateness() const { return lateness_; }
  int strangeFrames() const { return strangeFrames_; }
  bool overflowed() const { return overflowed_; }

 private:
  bool sameFrame(const std::vector<Burst>& bursts) const {
    if (bursts.size() != ideal_.burstBytes.size()) return false;
    for (size_t i = 0; i < bursts.size(); ++i) {
      if (bursts[i].bytes != ideal_.burstBytes[i]) return false;
    }
    return true;
  }

  DeadlineCatchingCounter& deadlines_;
  const IdealRepetition& ideal_;
  std::vector<int64_t> frameStarts_;
  std::vector<int64_t> lateness_;
  int strangeFrames_ = 0;
  bool overflowed_ = false;
};

}  // namespace

std::optional<HeldButtonResult> holdButton(const char* deviceName, int32_t command, std::chrono::milliseconds hold) {
  const auto frames = static_cast<size_t>(hold.count() / kMillisecondsPerFrameReserved) + kSpareFrames;
  // The transmitters keep the plain clock, so only the timer's waits are
  // caught as deadlines, not the spin that lasts out each burst.
  MonotonicCounter clock;
  DeadlineCatchingCounter deadlines(clock);
  GrantCountingPriority priority(clock, frames);
  BenchPlatform machine(clock, deadlines, priority);
  const auto built = std::make_unique<Remote>(machine, DataFiles{}, std::cerr, "bench_burst_timing");
  Remote& remote = *built;
  startCatalogue(remote.catalogue, remote.current);
  remote.timer.calibrateTimer();
  DeviceProfile* device = findDevice(remote.catalogue, deviceName);
  if (device == nullptr) {
    std::fprintf(stderr, "bench_burst_timing: no device '%s' in the catalogue\n", deviceName);
    return std::nullopt;
  }
  remote.current.device = device;
  remote.pen.pressedButton = command;

  const IdealRepetition ideal = idealRepetition(remote, command, clock.frequency());
  RepetitionLog log(deadlines, ideal, frames);
  machine.onOpen = [&deadlines, &log](SimTransmitter& sim) {
    deadlines.watch(&sim);
    sim.onFrame = [&log](const std::vector<Burst>& bursts) { log.takeFrame(bursts); };
  };
  TransmitWorker& worker = remote.worker;

  const CpuUse before = sampleCpuUse();
  worker.start();
  std::this_thread::sleep_for(hold);
  remote.pen.buttonHeld = false;
  worker.join();
  const CpuUse after = sampleCpuUse();

  if (!worker.lastOpened()) return std::nullopt;
  if (log.strangeFrames() != 0) {
    std::fprintf(stderr, "bench_burst_timing: %d frames differ from the frame sent on the virtual clock\n",
                 log.strangeFrames());
    return std::nullopt;
  }
  if (log.overflowed() || deadlines.lostWaits() != 0) {
    std::fprintf(stderr, "bench_burst_timing: more frames than the recording has room for\n");
    return std::nullopt;
  }

  HeldButtonResult result;
  result.idealPeriodTicks = ideal.periodTicks(clock.frequency());
  result.frames = static_cast<int>(log.frameStarts().size());
  result.raises = priority.raises;
  result.granted = priority.grants;
  result.otherCores = otherCores(before, after);
  result.stolenMs = stolenMilliseconds(before, after);
  const std::vector<int64_t>& starts = log.frameStarts();
  for (size_t k = 1; k < starts.size(); ++k) {
    result.periodErrorTicks.push_back(starts[k] - starts[k - 1] - result.idealPeriodTicks);
  }
  const std::vector<int64_t>& drops = priority.dropTicks();
  const std::vector<int64_t>& raised = priority.raisedTicks();
  const int64_t pauseTicks = int64_t{ideal.pauseMilliseconds} * clock.frequency() / 1000;
  for (size_t k = 0; k < drops.size() && k + 1 < raised.size(); ++k) {
    result.pauseOverrunTicks.push_back(raised[k + 1] - drops[k] - pauseTicks);
  }
  result.latenessTicks = log.lateness();
  result.disturbedFrames = worker.lastDisturbed();

  FloorRhythm rhythm;
  rhythm.frames.push_back(frameSteps(remote.timer, *device, command));
  rhythm.gapTicks = remote.timer.waitTicks(device->frameGap);
  rhythm.pause = std::chrono::milliseconds(ideal.pauseMilliseconds);
  result.floorTicks = spinFloor(clock, remote.timer, rhythm, result.frames);
  return result;
}

}  // namespace zapvane::bench
