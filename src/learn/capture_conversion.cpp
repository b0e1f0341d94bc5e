#include "learn/capture_conversion.h"

#include <array>

namespace zapvane {

void convertCapture(const CaptureEntry* entries, int n, float microsecondsPerTick, LearnedSignal& signal) {
  std::array<int32_t, kMaxCaptureEntries> duration{};
  std::array<int32_t, kMaxCaptureEntries> mark{};
  std::array<int32_t, kMaxCaptureEntries> space{};
  for (int k = 0; k + 1 < n; ++k) {
    // Low 32 bits of each time, the difference as a signed 32-bit value.
    const auto later = static_cast<uint32_t>(entries[k + 1].time);
    const auto earlier = static_cast<uint32_t>(entries[k].time);
    const auto ticks = static_cast<int32_t>(later - earlier);
    duration[static_cast<size_t>(k)] = static_cast<int32_t>(microsecondsPerTick * static_cast<float>(ticks));
    mark[static_cast<size_t>(k)] = kMicrosecondsPerCharacter * entries[k].characters;
  }
  // Every gap, including the one before the last entry (the look-ahead of
  // the last pair examined).
  for (int k = 0; k + 1 < n; ++k) {
    const int32_t halves = (kMicrosecondsPerCharacter * entries[k].characters +
                            kMicrosecondsPerCharacter * entries[k + 1].characters) / 2;
    space[static_cast<size_t>(k)] = duration[static_cast<size_t>(k)] - halves;
  }

  size_t j = 0;
  for (int k = 0; k + 2 < n; ++k) {
    const auto at = static_cast<size_t>(k);
    if (space[at] < kShortestGap) {
      mark[at + 1] += mark[at];
      continue;
    }
    if (space[at + 1] < kShortestGap) {
      const double widened = static_cast<double>(space[at] + space[at + 1]) * kGapWidening;
      space[at] = static_cast<int32_t>(widened);
    }
    signal.words[j++] = mark[at] + kMarkCorrection;
    signal.words[j++] = space[at];
  }
  signal.words[j++] = kEndMark;
  signal.words[j] = kEndMark;
}

}  // namespace zapvane
