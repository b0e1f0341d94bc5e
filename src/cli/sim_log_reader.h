// Reads the frames the simulated transmitter appends to its log, as they
// come: each call returns the frames completed since the previous one. A
// log that shrinks or is replaced (it drops its older half past 1 MiB) is
// read again from its start.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zapvane::cli {

class SimLogReader {
 public:
  explicit SimLogReader(std::string path) : path_(std::move(path)) {}

  // Each frame as mode2 durations in us, pulse first. A missing log has none.
  std::vector<std::vector<int64_t>> readNewFrames();

 private:
  std::string path_;
  uint64_t offset_ = 0;
  uint64_t inode_ = 0;
  std::string pending_;  // text of a frame not yet ended by its blank line
};

}  // namespace zapvane::cli
