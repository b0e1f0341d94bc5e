// Pulse timing on virtual counters: byte counts, scaled waits, the three
// sources of the adjustments in force, and counters of unusual resolution.
#include "ir/pulse_timer.h"

#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "app/remote.h"
#include "platform/virtual_counter.h"
#include "platform/virtual_platform.h"
#include "support/test_folder.h"

namespace zapvane {
namespace {

class PulseTimerTest : public ::testing::Test {
 protected:
  PulseTimerTest() { remote.start(); }

  // Virtual microseconds that waitSince(target) lasts from a fresh stamp.
  double waitMicroseconds(VirtualCounter& clock, int32_t target) {
    PulseTimer timer(clock, remote.adjustments);
    timer.calibrateTimer();
    timer.markStamp();
    const int64_t before = clock.elapsedNanoseconds();
    timer.waitSince(target);
    return static_cast<double>(clock.elapsedNanoseconds() - before) / 1000.0;
  }

  void useBuiltInAdjustments(int32_t space, int32_t mark) {
    remote.settings.spaceAdjust = space;
    remote.settings.markAdjust = mark;
  }

  // The adjustments in force come from the remote's state; each test times
  // on counters of its own.
  testing::TestFolder dir;
  VirtualPlatform machine;
  std::ostringstream err;
  Remote remote{machine, DataFiles::in(dir.path().string()), err};
};

TEST_F(PulseTimerTest, MarkToBytesRoundsHalfUpAndScalesByTenPercentSteps) {
  const struct {
    int32_t markAdjust, microseconds, bytes;
  } cases[] = {{0, 2400, 10}, {0, 1200, 5},  {0, 600, 3},   {0, 550, 2},  {0, 8800, 38},
               {0, 540, 2},   {0, 116, 0},   {0, 117, 1},   {0, 0, 0},    {0, 351, 2},
               {-5, 2400, 5}, {-5, 8800, 19}, {5, 2400, 15}, {5, 8800, 56}, {5, -1, 0}};
  VirtualCounter clock;
  PulseTimer timer(clock, remote.adjustments);
  for (const auto& c : cases) {
    useBuiltInAdjustments(0, c.markAdjust);
    EXPECT_EQ(timer.markToBytes(c.microseconds), c.bytes) << c.microseconds << " us at " << c.markAdjust;
  }
}

// A 1000 Hz counter whose reads cost a microsecond each cannot time a 600 us
// space alone: counting reads must, and comes as near as a tick.
TEST_F(PulseTimerTest, SpaceAdjustmentScalesWaitsByFivePercentStepsOnAnyCounter) {
  const struct {
    int32_t adjust, target;
    double lasts;
  } cases[] = {{-5, 20000, 15000}, {5, 20000, 25000}, {0, 20000, 20000}, {-5, 600, 450}, {0, 3100, 3100}, {5, 600, 750}};
  for (const auto& c : cases) {
    useBuiltInAdjustments(c.adjust, 0);
    VirtualCounter fast, micro(1'000'000), slow(1000, 1000);
    EXPECT_NEAR(waitMicroseconds(fast, c.target), c.lasts, 0.01) << c.adjust << " " << c.target;
    EXPECT_NEAR(waitMicroseconds(micro, c.target), c.lasts, 0.01) << "1 MHz: " << c.adjust << " " << c.target;
    EXPECT_NEAR(waitMicroseconds(slow, c.target), c.lasts, 1000.0) << "1 kHz: " << c.adjust << " " << c.target;
  }
  VirtualCounter slow(1000, 1000);
  PulseTimer timer(slow, remote.adjustments);
  timer.calibrateTimer();
  EXPECT_NEAR(timer.loopCalibration(), 1e6f, 1e4f);
}

TEST_F(PulseTimerTest, WaitIsMeasuredFromTheStampNotFromTheCall) {
  VirtualCounter clock;
  PulseTimer timer(clock, remote.adjustments);
  timer.calibrateTimer();
  timer.markStamp();
  const int64_t stamp = clock.elapsedNanoseconds();
  clock.advanceNanoseconds(700'000);  // a burst of three bytes, say
  timer.waitSince(1252);
  EXPECT_NEAR(static_cast<double>(clock.elapsedNanoseconds() - stamp), 1'252'000.0, 1.0);
  timer.waitSince(1000);  // already past: returns at once
  EXPECT_NEAR(static_cast<double>(clock.elapsedNanoseconds() - stamp), 1'252'000.0, 1.0);
}

TEST_F(PulseTimerTest, ZeroOrNegativeTargetReturnsAfterOneRead) {
  VirtualCounter clock(1'000'000'000, 50);
  PulseTimer timer(clock, remote.adjustments);
  timer.calibrateTimer();
  for (int32_t target : {0, -1, -2'000'000'000}) {
    timer.markStamp();
    const int64_t reads = clock.reads();
    timer.waitSince(target);
    EXPECT_EQ(clock.reads() - reads, 1) << target;
  }
}

// The tick length comes from the low 32 bits of the frequency only.
TEST_F(PulseTimerTest, MicrosecondCounterNeedsNoLoopCalibration) {
  VirtualCounter clock(1'000'000), wide((int64_t{1} << 32) + 1'000'000);
  PulseTimer timer(clock, remote.adjustments), wideTimer(wide, remote.adjustments);
  timer.calibrateTimer();
  wideTimer.calibrateTimer();
  EXPECT_EQ(timer.loopCalibration(), 0.0f);
  EXPECT_EQ(timer.microsecondsPerTick(), 1.0f);
  EXPECT_EQ(wideTimer.microsecondsPerTick(), 1.0f);
}

// Built-in devices share the settings' pair and ignore their own candidates
// unless auto adjust runs; a user device brings its own pair from its next use.
TEST_F(PulseTimerTest, AdjustmentsInForceFollowTheDeviceAndAutoAdjust) {
  useBuiltInAdjustments(2, -1);
  DeviceProfile& sony = remote.catalogue.builtIn[0];
  sony.spaceAdjust = -4, sony.markAdjust = 3;
  remote.current.device = &sony;
  VirtualCounter clock;
  PulseTimer timer(clock, remote.adjustments);
  const auto inForce = [&] {
    return std::tuple(remote.adjustments.spaceAdjust(), remote.adjustments.markAdjust(), timer.markToBytes(2400));
  };
  EXPECT_EQ(inForce(), std::tuple(2, -1, 9));
  remote.autoAdjustActive = true;
  EXPECT_EQ(inForce(), std::tuple(-4, 3, 13));
  remote.autoAdjustActive = false;
  EXPECT_EQ(inForce(), std::tuple(2, -1, 9));
  remote.catalogue.userCount = 1;
  DeviceProfile& user = remote.catalogue.userDevices[0];
  user.spaceAdjust = -3, user.markAdjust = 4;
  remote.current.device = &user;
  EXPECT_EQ(inForce(), std::tuple(-3, 4, 14));
}

}  // namespace
}  // namespace zapvane
