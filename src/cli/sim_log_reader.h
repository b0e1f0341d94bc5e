// Reads the frames the simulated transmitter appends to its log, as they
// come: each call returns the frames completed since the previous one, each
// once, also across the trims that drop the log's older half
// (platform/sim_log.h). A log cut or replaced by someone else is read again
// from its start.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sim_log.h"

namespace zapvane::cli {

// A duration in a log is at most this (11.6 days): a hand-edited number
// past it is taken as this, so sums and comparisons never overflow.
inline constexpr int64_t kMaxLoggedMicroseconds = 1'000'000'000'000;
// What one call reads at most, and the longest frame kept whole; a longer
// one is no frame the simulator wrote and is skipped.
inline constexpr size_t kSimLogReadBytes = 1 << 20;

class SimLogReader {
 public:
  explicit SimLogReader(std::string path) : path_(std::move(path)) {}

  // Each frame as mode2 durations in us, pulse first. A missing log has none.
  std::vector<std::vector<int64_t>> readNewFrames();
  // False when the last call stopped at its read limit with more to come.
  bool caughtUp() const { return caughtUp_; }

 private:
  std::string path_;
  SimLogPosition position_;
  std::string pending_;  // text of a frame not yet ended by its blank line
  bool caughtUp_ = true;
};

}  // namespace zapvane::cli
