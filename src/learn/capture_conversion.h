// Turning a learn capture into a learned signal. Each capture entry is one
// poll of the receiver that returned characters: when it returned (counter
// ticks) and how many. At 115200 baud a character lasts about 80 us, so a
// mark is 80 us per character, and the time between two polls, less half of
// each one's characters, is the gap between them. Gaps below 281 us are the
// same mark split over polls; a gap followed by such a split is widened by a
// fifth, which is what the receiver's hand-over delay takes from it.
#pragma once

#include <cstdint>

#include "catalogue/device_profile.h"

namespace zapvane {

inline constexpr int kMaxCaptureEntries = 91;
inline constexpr int32_t kMicrosecondsPerCharacter = 80;
inline constexpr int32_t kShortestGap = 281;
inline constexpr int32_t kMarkCorrection = 100;
inline constexpr double kGapWidening = 1.2;

struct CaptureEntry {
  int64_t time;        // counter ticks right after the poll
  int32_t characters;  // 0..100; 0 only for the poll that timed out
};

// Writes the pairs of n entries into `signal` from its first word, ending
// with (-1, -1); words after the end pair keep their values. Fewer than three
// entries, or only short gaps, give an empty signal.
// The last pair examined looks ahead to a gap that only the final entry can
// close; that gap is worked out by the same rule as every other, so a real
// gap before the capture's last poll is widened like any other.
// REQUIRES: 0 <= n <= kMaxCaptureEntries.
void convertCapture(const CaptureEntry* entries, int n, float microsecondsPerTick, LearnedSignal& signal);

}  // namespace zapvane
