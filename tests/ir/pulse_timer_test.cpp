// Pulse timing on virtual counters: byte counts, scaled waits, the three
// sources of the adjustments in force, and counters of unusual resolution.
#include "ir/pulse_timer.h"

#include <gtest/gtest.h>

#include "core/remote_core.h"
#include "platform/virtual_counter.h"

namespace zapvane {
namespace {

class PulseTimerTest : public ::testing::Test {
 protected:
  PulseTimerTest() { startCatalogue(core); }

  // Virtual microseconds that waitSince(target) lasts from a fresh stamp.
  double waitMicroseconds(PerformanceCounter& counter, VirtualCounter& clock, int32_t target) {
    PulseTimer timer(counter, core.adjustments);
    timer.calibrateTimer();
    timer.markStamp();
    const int64_t before = clock.elapsedNanoseconds();
    timer.waitSince(target);
    return static_cast<double>(clock.elapsedNanoseconds() - before) / 1000.0;
  }

  void useBuiltInAdjustments(int32_t space, int32_t mark) {
    core.settings.spaceAdjust = space;
    core.settings.markAdjust = mark;
  }

  RemoteCore core;
};

TEST_F(PulseTimerTest, MarkToBytesRoundsHalfUpAtAdjustmentZero) {
  VirtualCounter clock;
  PulseTimer timer(clock, core.adjustments);
  const std::pair<int32_t, int32_t> cases[] = {{2400, 10}, {1200, 5}, {600, 3}, {550, 2}, {8800, 38},
                                               {540, 2},   {116, 0},  {117, 1}, {0, 0},   {351, 2}};
  for (auto [microseconds, bytes] : cases) EXPECT_EQ(timer.markToBytes(microseconds), bytes) << microseconds;
}

TEST_F(PulseTimerTest, MarkAdjustmentScalesMarksByTenPercentSteps) {
  VirtualCounter clock;
  PulseTimer timer(clock, core.adjustments);
  useBuiltInAdjustments(0, -5);
  EXPECT_EQ(timer.markToBytes(2400), 5);
  EXPECT_EQ(timer.markToBytes(8800), 19);
  useBuiltInAdjustments(0, 5);
  EXPECT_EQ(timer.markToBytes(2400), 15);
  EXPECT_EQ(timer.markToBytes(8800), 56);
  EXPECT_EQ(timer.markToBytes(-1), 0);
}

TEST_F(PulseTimerTest, SpaceAdjustmentScalesWaitsByFivePercentSteps) {
  const struct {
    int32_t adjust, target;
    double lasts;
  } cases[] = {{-5, 20000, 15000}, {5, 20000, 25000}, {0, 20000, 20000}, {-5, 600, 450}, {5, 600, 750}};
  for (const auto& c : cases) {
    VirtualCounter clock;
    useBuiltInAdjustments(c.adjust, 0);
    EXPECT_NEAR(waitMicroseconds(clock, clock, c.target), c.lasts, 0.01) << c.adjust << " " << c.target;
  }
}

TEST_F(PulseTimerTest, WaitIsMeasuredFromTheStampNotFromTheCall) {
  VirtualCounter clock;
  PulseTimer timer(clock, core.adjustments);
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
  PulseTimer timer(clock, core.adjustments);
  timer.calibrateTimer();
  for (int32_t target : {0, -1, -2'000'000'000}) {
    timer.markStamp();
    const int64_t reads = clock.reads();
    timer.waitSince(target);
    EXPECT_EQ(clock.reads() - reads, 1) << target;
  }
}

TEST_F(PulseTimerTest, MicrosecondCounterNeedsNoLoopCalibration) {
  VirtualCounter clock(1'000'000);
  PulseTimer timer(clock, core.adjustments);
  timer.calibrateTimer();
  EXPECT_EQ(timer.loopCalibration(), 0.0f);
  EXPECT_EQ(timer.microsecondsPerTick(), 1.0f);
  EXPECT_NEAR(waitMicroseconds(clock, clock, 3100), 3100.0, 0.01);
}

TEST_F(PulseTimerTest, MicrosecondsPerTickUsesTheLow32BitsOfTheFrequency) {
  VirtualCounter clock((int64_t{1} << 32) + 1'000'000);
  PulseTimer timer(clock, core.adjustments);
  timer.calibrateTimer();
  EXPECT_EQ(timer.microsecondsPerTick(), 1.0f);
}

TEST_F(PulseTimerTest, SlowCounterWaitsAsLongAsAFastOne) {
  // 1000 Hz, each read costing a virtual microsecond: the counter alone
  // cannot time a 600 us space, counting reads must.
  for (int32_t adjust : {-5, 0, 5}) {
    VirtualCounter clock(1000, 1000);
    useBuiltInAdjustments(adjust, 0);
    const double factor = 1.0 + 0.05 * adjust;
    EXPECT_NEAR(waitMicroseconds(clock, clock, 20000), 20000 * factor, 1000.0) << adjust;
    EXPECT_NEAR(waitMicroseconds(clock, clock, 600), 600 * factor, 1000.0) << adjust;
  }
  VirtualCounter clock(1000, 1000);
  PulseTimer timer(clock, core.adjustments);
  timer.calibrateTimer();
  EXPECT_NEAR(timer.loopCalibration(), 1e6f, 1e4f);
}

class AdjustmentsInForceTest : public PulseTimerTest {
 protected:
  DeviceProfile& userDevice() {
    core.catalogue.userCount = 1;
    DeviceProfile& user = core.catalogue.userDevices[0];
    user.spaceAdjust = -3;
    user.markAdjust = 4;
    return user;
  }
};

TEST_F(AdjustmentsInForceTest, BuiltInDevicesShareTheSettingsPair) {
  useBuiltInAdjustments(2, -1);
  core.catalogue.builtIn[0].spaceAdjust = 5;  // a stale candidate must not count
  core.current.device = &core.catalogue.builtIn[0];
  EXPECT_EQ(core.adjustments.spaceAdjust(), 2);
  EXPECT_EQ(core.adjustments.markAdjust(), -1);
}

TEST_F(AdjustmentsInForceTest, UserDeviceUsesItsOwnPairFromTheNextUse) {
  useBuiltInAdjustments(2, -1);
  DeviceProfile& user = userDevice();
  VirtualCounter clock;
  PulseTimer timer(clock, core.adjustments);
  EXPECT_EQ(timer.markToBytes(2400), 9);  // built-in: -1
  core.current.device = &user;
  EXPECT_EQ(core.adjustments.spaceAdjust(), -3);
  EXPECT_EQ(timer.markToBytes(2400), 14);  // user device: +4
}

TEST_F(AdjustmentsInForceTest, AutoAdjustPutsTheDevicesCandidatesInForce) {
  useBuiltInAdjustments(2, -1);
  DeviceProfile& sony = core.catalogue.builtIn[0];
  sony.spaceAdjust = -4;
  sony.markAdjust = 3;
  core.current.device = &sony;
  core.autoAdjustActive = true;
  EXPECT_EQ(core.adjustments.spaceAdjust(), -4);
  EXPECT_EQ(core.adjustments.markAdjust(), 3);
  core.autoAdjustActive = false;
  EXPECT_EQ(core.adjustments.spaceAdjust(), 2);
}

}  // namespace
}  // namespace zapvane
