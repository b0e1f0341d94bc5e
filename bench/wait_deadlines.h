// Catches the deadlines of a transmit worker's waits without touching the
// worker: the pulse timer hands every wait to its counter as one spinUntil
// with the deadline (burstStart + the wait's ticks), so a counter that passes
// everything through to the real one can write the deadlines down. Each one
// is kept with the number of bursts the transmitter had sent by then, which
// tells which burst it was waiting for.
//
// Threads: the thread that holds the port (the worker) waits, watches and
// takes frames; read the results only once it has been joined.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/performance_counter.h"
#include "platform/sim_transmitter.h"

namespace zapvane::bench {

class DeadlineCatchingCounter final : public PerformanceCounter {
 public:
  explicit DeadlineCatchingCounter(PerformanceCounter& inner);

  int64_t frequency() const override { return inner_.frequency(); }
  int64_t now() override { return inner_.now(); }
  int64_t spinUntil(int64_t target) override;

  // The transmitter whose bursts the waits are counted against; the
  // transmitter's own waits go to another counter and are not caught.
  void watch(const SimTransmitter* sim) { sim_ = sim; }

  // For each burst of a finished frame that followed a wait, its start minus
  // the deadline of the last wait before it, appended to `lateness` within
  // its reserved room; false when the room ran out. Forgets the frame's
  // waits, the frame gap's included (no burst of this frame follows it).
  // Allocates nothing.
  bool takeFrame(const std::vector<Burst>& bursts, std::vector<int64_t>& lateness);

  // Waits that found no room and went unrecorded; none should.
  size_t lostWaits() const { return lostWaits_; }

 private:
  struct Wait {
    int64_t deadline;
    size_t burstsBefore;
  };

  PerformanceCounter& inner_;
  const SimTransmitter* sim_ = nullptr;
  std::vector<Wait> waits_;
  size_t lostWaits_ = 0;
};

}  // namespace zapvane::bench
