// The simulated transmitter: light on the counter's timeline, the mode2
// rendering of it, and a log that never grows without bound.
#include "platform/sim_transmitter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/virtual_counter.h"
#include "support/test_folder.h"

namespace zapvane {
namespace {

TEST(SimTransmitter, WriteLastsOneByteTimePerByteAndRecordsItsStart) {
  VirtualCounter clock;
  SimTransmitter sim(clock, "");
  const uint8_t zeros[10] = {};
  clock.advanceNanoseconds(1000);
  EXPECT_EQ(sim.write(zeros, 10), 10);
  EXPECT_EQ(clock.elapsedNanoseconds(), 1000 + 10 * kByteNanoseconds);
  EXPECT_EQ(sim.write(zeros, 0), 0);
  ASSERT_EQ(sim.pendingBursts().size(), 1u);
  EXPECT_TRUE(sim.pendingBursts()[0].startTick == 1000 && sim.pendingBursts()[0].bytes == 10);

  VirtualCounter slow(1000);  // 1 ms ticks: the write still waits for its last byte
  SimTransmitter slowSim(slow, "");
  slowSim.write(zeros, 3);
  EXPECT_GE(slow.elapsedNanoseconds(), 3 * kByteNanoseconds);
}

TEST(Mode2Durations, AlternatePulsesAndSpacesRoundedToMicroseconds) {
  // 1 MHz ticks: bursts at 0 and 3100 us, the frame ending at 4352 us.
  const std::vector<Burst> bursts{{0, 10}, {3100, 3}};
  EXPECT_EQ(mode2Durations(bursts, 1'000'000, 4352), (std::vector<int64_t>{2344, 756, 703, 549}));
  EXPECT_EQ(mode2Durations(bursts, 1'000'000, 0), (std::vector<int64_t>{2344, 756, 703}));
  EXPECT_EQ(mode2Text({2344, 756, 703}), "pulse 2344\nspace 756\npulse 703\n");
  // The second burst starts before the first one's light has ended.
  EXPECT_EQ(mode2Durations({{0, 10}, {2000, 3}}, 1'000'000, 0), (std::vector<int64_t>{2344, 0, 703}));
}

class SimLog : public ::testing::Test {
 protected:
  testing::TestFolder dir;
  const std::string log = dir / "ir-sim.log";
};

TEST_F(SimLog, EachFrameIsAppendedAsModeTwoTextWithABlankLineAfterIt) {
  VirtualCounter clock(1'000'000);
  SimTransmitter sim(clock, log);
  const uint8_t zeros[10] = {};
  for (int frame = 0; frame < 2; ++frame) {
    sim.write(zeros, 10);
    clock.advanceNanoseconds(756'250);
    sim.write(zeros, 3);
    sim.frameDone();
  }
  sim.frameDone();  // nothing sent since: no empty frame
  EXPECT_EQ(testing::readText(log), "pulse 2344\nspace 756\npulse 703\n\npulse 2344\nspace 756\npulse 703\n\n");
  EXPECT_TRUE(sim.pendingBursts().empty());
}

TEST_F(SimLog, PastTheLimitTheOlderHalfIsDroppedAtAFrameBoundary) {
  const std::string frame = "pulse 2344\nspace 756\npulse 703\n\n";
  const std::string newest = "pulse 1\n\n";
  {
    std::ofstream out(log);
    for (int64_t i = 0; i < kSimLogLimitBytes / std::ssize(frame); ++i) out << frame;
  }
  ASSERT_TRUE(appendToSimLog(log, newest));
  const std::string kept = testing::readText(log);
  EXPECT_TRUE(std::ssize(kept) > kSimLogLimitBytes / 4 && std::ssize(kept) < kSimLogLimitBytes * 3 / 4) << kept.size();
  EXPECT_EQ(kept.substr(0, frame.size()), frame);
  EXPECT_EQ(kept.substr(kept.size() - newest.size()), newest);
  EXPECT_FALSE(std::filesystem::exists(log + ".tmp"));

  EXPECT_FALSE(appendToSimLog(dir / "missing/ir-sim.log", newest)) << "an unwritable log is reported, not fatal";
}

}  // namespace
}  // namespace zapvane
