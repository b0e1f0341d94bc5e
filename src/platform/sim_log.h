// The simulated transmitter's log, ir-sim.log: mode2 text, one frame of
// "pulse N" / "space N" lines after another, a blank line after each, each
// frame after a comment line with the time it was sent ("# 2026-...Z"). Any
// number of processes append to it while others follow it.
//
// Appends and trims hold an exclusive flock on "<log>.lock" beside it, so two
// senders never interleave or lose a frame; readers hold a shared one while
// they read, so they never see a trim half done. A frame goes in whole or not
// at all: what a full disk let through is cut off again. Past its limit the
// log drops its older part (whole frames, keeping at most half the limit)
// and swaps the rest in by a rename; the lock file then records, as decimal
// text, how many bytes all trims have dropped from the log's start, so a
// reader that follows the log finds its place in what was kept.
//
// Threads and processes: any, each call on its own descriptors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/status.h"

namespace zapvane {

inline constexpr int64_t kSimLogLimitBytes = 1 << 20;
inline constexpr int32_t kMinSimLogLimitBytes = 4096;

// Appends `frameText` (one or more whole frames) to the log at `path`, then
// trims it when it has grown past limitBytes. Not ok, with the log as it
// was, when the frame could not be written whole; a trim that fails leaves
// the log longer, and is tried again by the next append.
// REQUIRES: limitBytes >= kMinSimLogLimitBytes.
Status appendToSimLog(const std::string& path, const std::string& frameText, int64_t limitBytes = kSimLogLimitBytes);

// Where a reader is: a byte of the log's whole history (every byte ever
// appended), and the file and the trims it has seen so far.
struct SimLogPosition {
  uint64_t at = 0;
  uint64_t file = 0;     // the log's inode, 0 before the first look
  uint64_t dropped = 0;  // bytes trims had dropped at the last look
};

// The log from `position` on, at most maxBytes, and `position` moved past
// it; atEnd when nothing more was there. When the position lies in what a
// trim dropped, or the log was cut or replaced by someone else (a new file
// without a trim, or shorter than the position), the text starts at the
// oldest byte kept. A missing log is empty.
Status readSimLog(const std::string& path, SimLogPosition& position, size_t maxBytes, std::string& text,
                  bool& atEnd);

}  // namespace zapvane
