// The beep resource is the WAV the sound player expects, and still exactly
// what its generator makes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "support/test_folder.h"

namespace {

using zapvane::testing::Bytes;
using zapvane::testing::readBytes;

uint32_t word(const Bytes& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + static_cast<size_t>(i)];
  return v;
}

TEST(BeepResource, IsMonoEightBitAt11025HzWith1961Samples) {
  const Bytes wav = readBytes(ZAPVANE_BEEP_WAV);
  ASSERT_GE(wav.size(), 44u + 1961u);
  EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
  EXPECT_EQ(word(wav, 4, 4), wav.size() - 8);
  EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(word(wav, 20, 2), 1u);      // PCM
  EXPECT_EQ(word(wav, 22, 2), 1u);      // mono
  EXPECT_EQ(word(wav, 24, 4), 11025u);  // samples per second
  EXPECT_EQ(word(wav, 34, 2), 8u);      // bits per sample
  EXPECT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
  EXPECT_EQ(word(wav, 40, 4), 1961u);
  const auto [low, high] = std::minmax_element(wav.begin() + 44, wav.begin() + 44 + 1961);
  EXPECT_GT(*high - *low, 100);  // audible, not silence
}

TEST(BeepResource, IsWhatTheGeneratorMakes) {
  const zapvane::testing::TestFolder dir;
  const std::string fresh = dir / "beep.wav";
  ASSERT_EQ(std::system((std::string(ZAPVANE_MAKE_BEEP) + " " + fresh).c_str()), 0);
  EXPECT_EQ(readBytes(fresh), readBytes(ZAPVANE_BEEP_WAV));
}

}  // namespace
