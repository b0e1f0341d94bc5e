#include "wait_deadlines.h"

namespace zapvane::bench {

namespace {

// Far above the waits of one frame (a 64-bit code is some 70), so catching
// never allocates while a frame is timed.
constexpr size_t kWaitsReserved = 4096;

}  // namespace

DeadlineCatchingCounter::DeadlineCatchingCounter(PerformanceCounter& inner) : inner_(inner) {
  waits_.reserve(kWaitsReserved);
}

int64_t DeadlineCatchingCounter::spinUntil(int64_t target) {
  // Written down before the spin: the deadline is fixed already, and this
  // way the bookkeeping never sits between a wait's end and its burst.
  if (waits_.size() < waits_.capacity()) {
    waits_.push_back({target, sim_ != nullptr ? sim_->pendingBursts().size() : 0});
  } else {
    ++lostWaits_;
  }
  return inner_.spinUntil(target);
}

bool DeadlineCatchingCounter::takeFrame(const std::vector<Burst>& bursts, std::vector<int64_t>& lateness) {
  bool roomEnough = true;
  for (size_t i = 0; i < waits_.size(); ++i) {
    const size_t burst = waits_[i].burstsBefore;
    const bool lastBeforeBurst = i + 1 == waits_.size() || waits_[i + 1].burstsBefore != burst;
    if (!lastBeforeBurst || burst >= bursts.size()) continue;
    if (lateness.size() == lateness.capacity()) {
      roomEnough = false;
      break;
    }
    lateness.push_back(bursts[burst].startTick - waits_[i].deadline);
  }
  waits_.clear();
  return roomEnough;
}

}  // namespace zapvane::bench
