// Rebuilding marks and gaps from the polls of a capture.
#include "learn/capture_conversion.h"

#include <gtest/gtest.h>

#include <vector>

namespace zapvane {
namespace {

// Converts entries on a 1 MHz counter and returns the words up to the end pair.
std::vector<int32_t> convert(const std::vector<CaptureEntry>& entries) {
  LearnedSignal signal;
  signal.words.fill(7);  // words past the end pair must keep what they held
  convertCapture(entries.data(), static_cast<int>(entries.size()), 1.0f, signal);
  std::vector<int32_t> words;
  size_t i = 0;
  for (; signal.words[i] != kEndMark; i += 2) {
    words.push_back(signal.words[i]);
    words.push_back(signal.words[i + 1]);
  }
  EXPECT_EQ(signal.words[i + 1], kEndMark);
  if (i + 2 < signal.words.size()) {
    EXPECT_EQ(signal.words[i + 2], 7);
  }
  return words;
}

// Polls (time in us, characters read) in, (mark, space) pairs out: a mark is
// 80 us per character + 100, a gap the time between polls less half of each
// neighbouring poll's 80 us per character.
TEST(CaptureConversion, PollsBecomeMarksAndGaps) {
  const struct {
    const char* why;
    std::vector<CaptureEntry> entries;
    std::vector<int32_t> words;
  } cases[] = {
      {"worked example", {{0, 2}, {1000, 2}, {2000, 3}, {2250, 1}, {1000001, 0}}, {260, 840, 260, 1068}},
      {"too few entries", {{0, 5}, {1000001, 0}}, {}},
      {"one entry", {{0, 5}}, {}},
      {"none", {}, {}},
      {"a gap of 281 is real", {{0, 1}, {361, 1}, {2000, 1}, {1002000, 0}}, {180, 281, 180, 1559}},
      {"280 merges", {{0, 1}, {360, 1}, {2000, 1}, {1002000, 0}}, {260, 1560}},
      // 891 = 800 + 91: the gap before the merged mark is widened to the integer part of 1069.2.
      {"split mark", {{0, 1}, {880, 1}, {1051, 1}, {5000, 1}, {1005000, 0}}, {180, 1069, 260, 3869}},
      {"one mark over five polls is their sum + 100",
       {{0, 8}, {700, 8}, {1400, 8}, {2100, 8}, {2800, 3}, {5000, 1}, {1005000, 0}},
       {80 * 35 + 100, 5000 - 2800 - (240 + 80) / 2}},
      // The final gap, to the time-out poll, follows the same rule.
      {"short final gap widens the pair before it", {{0, 1}, {1000, 1}, {1100, 1}}, {180, 1128}},  // (920 + 20) x 1.2
      {"long final gap does not", {{0, 1}, {1000, 1}, {1000000, 0}}, {180, 920}},
  };
  for (const auto& c : cases) EXPECT_EQ(convert(c.entries), c.words) << c.why;
}

TEST(CaptureConversion, AFullCaptureStoresAtMost89Pairs) {
  std::vector<CaptureEntry> entries;
  for (int k = 0; k < kMaxCaptureEntries; ++k) entries.push_back({int64_t{k} * 1000, 2});
  EXPECT_EQ(convert(entries).size(), 2u * 89);
}

}  // namespace
}  // namespace zapvane
