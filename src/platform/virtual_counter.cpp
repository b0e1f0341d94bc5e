#include "platform/virtual_counter.h"

namespace zapvane {

namespace {
constexpr int64_t kNanosecondsPerSecond = 1'000'000'000;
}

// Split into whole seconds and the rest so that no product overflows for
// frequencies up to a few GHz.
int64_t VirtualCounter::ticksAt(int64_t nanoseconds) const {
  const int64_t seconds = nanoseconds / kNanosecondsPerSecond;
  const int64_t rest = nanoseconds % kNanosecondsPerSecond;
  return seconds * frequency_ + rest * frequency_ / kNanosecondsPerSecond;
}

int64_t VirtualCounter::nanosecondsAt(int64_t ticks) const {
  const int64_t seconds = ticks / frequency_;
  const int64_t rest = ticks % frequency_;
  return seconds * kNanosecondsPerSecond + (rest * kNanosecondsPerSecond + frequency_ - 1) / frequency_;
}

int64_t VirtualCounter::now() {
  ++reads_;
  const int64_t at = nanoseconds_.fetch_add(readCost_) + readCost_;
  return ticksAt(at);
}

int64_t VirtualCounter::spinUntil(int64_t target) {
  const int64_t reached = now();
  if (reached >= target) return reached;
  int64_t at = nanosecondsAt(target);
  const int64_t holdUp = holdUpAt_;
  if (holdUp >= 0 && holdUp > nanoseconds_ && holdUp <= at) {
    holdUpAt_ = -1;
    at += holdUpLate_;
  }
  const int64_t from = nanoseconds_;
  if (at > from) {
    nanoseconds_ = at;
    spun_ += at - from;
  }
  return ticksAt(nanoseconds_);
}

}  // namespace zapvane
