#include "ir/learned_light.h"

#include "ir/code_signal.h"
#include "ir/frame_encoder.h"
#include "ir/pulse_timer.h"

namespace zapvane {

namespace {

// Microseconds to add to a space after a mark of `bytes` so that its light
// rounds back to the space asked for: the shortfall of 0.375 us a byte,
// rounded so the dark lands within half a microsecond below the target.
int32_t byteShortfall(int32_t bytes) {
  const int64_t nanoseconds = int64_t{bytes} * (kLightByteNanoseconds - int64_t{kByteMicroseconds} * 1000);
  return static_cast<int32_t>((nanoseconds + 499) / 1000);
}

}  // namespace

bool pairsForLight(const std::vector<int32_t>& light, LearnedSignal& signal, std::string& problem) {
  const size_t pairs = (light.size() + 1) / 2;
  if (pairs > static_cast<size_t>(kMaxImportedPairs)) {
    problem = "more than " + std::to_string(kMaxImportedPairs) + " pairs";
    return false;
  }
  if (pairs == 0) {
    problem = "no light";
    return false;
  }
  for (const int32_t d : light) {
    if (d <= 0 || d > kMaxDurationMicroseconds) {
      problem = "bad numbers: a duration of " + std::to_string(d) + " us";
      return false;
    }
  }
  signal.clear();
  for (size_t p = 0; p < pairs; ++p) {
    const int32_t mark = light[2 * p];
    const int32_t space = 2 * p + 1 < light.size() ? light[2 * p + 1] : kTrailingGapMicroseconds;
    signal.words[2 * p] = mark;
    signal.words[2 * p + 1] = space + byteShortfall(markBytes(mark, 0));
  }
  signal.words[2 * pairs] = kEndMark;
  signal.words[2 * pairs + 1] = kEndMark;
  return true;
}

}  // namespace zapvane
