// Reads the frames the simulated transmitter appends to its log, as they
// come: each call returns the frames completed since the previous one, each
// once, also across the trims that drop the log's older half
// (platform/sim_log.h). A log cut or replaced by someone else is read again
// from its start.
#pragma once

#include <cstdint>
#include <optional>
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

// One frame of the log: its mode2 durations in us, pulse first, and the time
// of its comment line ("" in a log written without one).
struct LoggedFrame {
  std::vector<int64_t> durations;
  std::string sentAt;
};

class SimLogReader {
 public:
  explicit SimLogReader(std::string path, SimLogPosition from = {}) : path_(std::move(path)), position_(from) {}

  // The frames ended since the last call. A missing log has none.
  std::vector<LoggedFrame> readNewFrames();
  // False when the last call stopped at its read limit with more to come.
  bool caughtUp() const { return caughtUp_; }
  // Where a later reader goes on: after the last whole frame returned.
  SimLogPosition resumePosition() const;

 private:
  std::string path_;
  SimLogPosition position_;
  std::string pending_;  // text of a frame not yet ended by its blank line
  bool caughtUp_ = true;
};

// The position a monitor left in `path` (its own small file), so the next
// one shows only what came after; the log's start when there is none or it
// holds something else.
SimLogPosition loadMonitorPosition(const std::string& path);
// Saves it there; a failure only costs the next call its starting point.
Status saveMonitorPosition(const std::string& path, const SimLogPosition& position);

}  // namespace zapvane::cli
