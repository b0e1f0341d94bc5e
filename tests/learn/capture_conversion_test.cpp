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

TEST(CaptureConversion, WorkedExample) {
  EXPECT_EQ(convert({{0, 2}, {1000, 2}, {2000, 3}, {2250, 1}, {1000001, 0}}),
            (std::vector<int32_t>{260, 840, 260, 1068}));
}

TEST(CaptureConversion, TooFewEntriesGiveAnEmptySignal) {
  EXPECT_TRUE(convert({{0, 5}, {1000001, 0}}).empty());
  EXPECT_TRUE(convert({{0, 5}}).empty());
  EXPECT_TRUE(convert({}).empty());
}

TEST(CaptureConversion, GapOf281IsRealAnd280Merges) {
  // Entries of 1 character: gap = duration - 80.
  EXPECT_EQ(convert({{0, 1}, {361, 1}, {2000, 1}, {1002000, 0}}), (std::vector<int32_t>{180, 281, 180, 1559}));
  EXPECT_EQ(convert({{0, 1}, {360, 1}, {2000, 1}, {1002000, 0}}), (std::vector<int32_t>{260, 1560}));
}

TEST(CaptureConversion, SplitMarkIsOneMarkAndTheGapBeforeItIsWidened) {
  // 891 = 800 + 91: widened to the integer part of 1069.2.
  EXPECT_EQ(convert({{0, 1}, {880, 1}, {1051, 1}, {5000, 1}, {1005000, 0}}),
            (std::vector<int32_t>{180, 1069, 260, 3869}));
  // A mark over five polls, all closer than 281: one mark of their sum + 100.
  EXPECT_EQ(convert({{0, 8}, {700, 8}, {1400, 8}, {2100, 8}, {2800, 3}, {5000, 1}, {1005000, 0}}),
            (std::vector<int32_t>{80 * 35 + 100, 5000 - 2800 - (240 + 80) / 2}));
}

TEST(CaptureConversion, LastExaminedPairLooksAheadToTheFinalGap) {
  // The final gap (to the time-out poll) is worked out by the same rule:
  // a short one widens the pair before it, a long one does not.
  EXPECT_EQ(convert({{0, 1}, {1000, 1}, {1100, 1}}), (std::vector<int32_t>{180, 1128}));  // (920 + 20) x 1.2
  EXPECT_EQ(convert({{0, 1}, {1000, 1}, {1000000, 0}}), (std::vector<int32_t>{180, 920}));
}

TEST(CaptureConversion, AFullCaptureStoresAtMost89Pairs) {
  std::vector<CaptureEntry> entries;
  for (int k = 0; k < kMaxCaptureEntries; ++k) entries.push_back({int64_t{k} * 1000, 2});
  EXPECT_EQ(convert(entries).size(), 2u * 89);
}

}  // namespace
}  // namespace zapvane
