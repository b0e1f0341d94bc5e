// The port opened for sending: its name, configuration, failure and long
// bursts. The pulse timer's waits on counters of any resolution and the
// adjustments in force (its byte counts are pinned by the frame steps).
#include <gtest/gtest.h>

#include <tuple>

#include "support/rig.h"

namespace zapvane::testing {
namespace {

// A started remote whose only port is the simulated COM1; with no window
// attached, what the user would see arrives on the rig's lines.
class PortAndTimer : public ::testing::Test {
 protected:
  PortAndTimer() { rig.started(); }
  // Virtual microseconds from a fresh stamp until waitSince(target) returns,
  // when a burst of `burstNanoseconds` is written between the two.
  double waitMicroseconds(VirtualCounter& clock, int32_t target, int64_t burstNanoseconds = 0) {
    PulseTimer timer(clock, rig.remote.adjustments);
    timer.calibrateTimer();
    timer.markStamp();
    const int64_t stamp = clock.elapsedNanoseconds();
    clock.advanceNanoseconds(burstNanoseconds);
    timer.waitSince(target);
    return static_cast<double>(clock.elapsedNanoseconds() - stamp) / 1000.0;
  }
  Rig rig;
  IrPort& port = rig.remote.port;
};

TEST(PortDeviceName, IsOneBasedAndWrapsAsASigned16BitNumber) {
  const std::pair<int32_t, const char*> cases[] = {
      {0, "COM1:"}, {3, "COM4:"}, {-1, "COM0:"}, {65535, "COM0:"}, {32767, "COM-32768:"}, {2147483647, "COM0:"}};
  for (auto [port, name] : cases) EXPECT_EQ(portDeviceName(port), name) << port;
}

TEST_F(PortAndTimer, OpeningConfiguresTheTransmitterForCarrierBursts) {
  ASSERT_TRUE(port.openForSending());
  const SimTransmitter& opened = *rig.platform.opened;
  const PortState& s = opened.state();
  EXPECT_EQ(std::tuple(s.baudRate, s.byteSize, s.parity, s.stopBits, s.dtrControl, s.rtsControl),
            std::tuple(38400u, 7, Parity::none, StopBits::one, LineControl::disable, LineControl::disable));
  EXPECT_TRUE(s.binary && s.txContinueOnXoff && opened.infraredMode() && port.portBusy);
  EXPECT_FALSE(s.parityCheck || s.outxCtsFlow || s.outxDsrFlow || s.dsrSensitivity || s.outX || s.inX ||
               s.errorChar || s.nullStrip || s.abortOnError);
  EXPECT_EQ(opened.timeouts(), (PortTimeouts{PortTimeouts::kMaxTimeout, 0, 0, 50, 1000}));
  EXPECT_EQ(std::pair(opened.eventMask(), rig.takeLines()), std::pair(kEventTransmitEmpty, std::string()));
}

TEST_F(PortAndTimer, FailedOpenTellsTheUserOnceAndStaysBusyUntilClosed) {
  rig.remote.settings.port = 1;
  EXPECT_FALSE(port.openForSending());
  EXPECT_EQ(rig.platform.requestedPorts, (std::vector<std::string>{"COM2:"}));
  EXPECT_EQ(rig.takeLines(), "Communication error: Unable to open COM2: no device in ports.conf\n");
  EXPECT_TRUE(port.portBusy);
  port.captureStop = false;
  port.closePort();
  EXPECT_TRUE(!port.portBusy && port.captureStop);
}

// Each write is synchronous: 550 bytes of light pass; a closed port writes nothing.
TEST_F(PortAndTimer, LongBurstIsSplitIntoBufferSizedWrites) {
  port.writeBurst(10);
  ASSERT_TRUE(port.openForSending());
  const int64_t opened = rig.platform.clock.elapsedNanoseconds();
  for (const int32_t bytes : {400, 0, -3, 150}) port.writeBurst(bytes);
  std::vector<int32_t> sizes;
  for (const Burst& b : rig.platform.opened->pendingBursts()) sizes.push_back(b.bytes);
  EXPECT_EQ(sizes, (std::vector<int32_t>{150, 150, 100, 150}));
  EXPECT_EQ(rig.platform.clock.elapsedNanoseconds(), opened + 550 * kByteNanoseconds);
}

// A 1000 Hz counter whose reads cost a microsecond cannot time a 600 us space
// by itself: counting reads must, and comes within a tick.
TEST_F(PortAndTimer, SpaceAdjustmentScalesWaitsByFivePercentStepsOnAnyCounter) {
  const struct {
    int32_t adjust, target;
    double lasts;
  } cases[] = {{-5, 20000, 15000}, {5, 20000, 25000}, {0, 20000, 20000}, {-5, 600, 450}, {0, 3100, 3100}, {5, 600, 750}};
  for (const auto& c : cases) {
    rig.remote.settings.spaceAdjust = c.adjust;
    VirtualCounter fast, micro(1'000'000), slow(1000, 1000);
    EXPECT_NEAR(waitMicroseconds(fast, c.target), c.lasts, 0.01) << c.adjust << " " << c.target;
    EXPECT_NEAR(waitMicroseconds(micro, c.target), c.lasts, 0.01) << "1 MHz: " << c.adjust << " " << c.target;
    EXPECT_NEAR(waitMicroseconds(slow, c.target), c.lasts, 1000.0) << "1 kHz: " << c.adjust << " " << c.target;
  }
}

// The burst written after the stamp is part of the wait, also where the
// counter is too coarse to time the rest: there only what is left after the
// burst's whole ticks is counted in reads.
TEST_F(PortAndTimer, WaitRunsFromTheStampNotFromTheCall) {
  VirtualCounter fast, slow(1000, 1000);
  EXPECT_NEAR(waitMicroseconds(fast, 5252, 3'000'000), 5252, 0.01);
  EXPECT_NEAR(waitMicroseconds(fast, 1000, 3'000'000), 3000, 0.01) << "already past: at once";
  EXPECT_NEAR(waitMicroseconds(slow, 5000, 3'000'000), 5000, 1000);
  EXPECT_NEAR(waitMicroseconds(slow, 1000, 3'000'000), 3000, 1000) << "already past: at once";
  PulseTimer timer(slow, rig.remote.adjustments);
  timer.calibrateTimer();
  EXPECT_NEAR(timer.loopCalibration(), 1e6f, 1e4f) << "reads per second";
}

// A target of 0 or less returns after one read. A microsecond counter needs
// no loop calibration; the tick length comes from the frequency's low 32 bits.
TEST_F(PortAndTimer, CountersAtTheEdges) {
  VirtualCounter clock(1'000'000'000, 50), micro(1'000'000), wide((int64_t{1} << 32) + 1'000'000);
  PulseTimer timer(clock, rig.remote.adjustments), microTimer(micro, rig.remote.adjustments);
  PulseTimer wideTimer(wide, rig.remote.adjustments);
  for (PulseTimer* t : {&timer, &microTimer, &wideTimer}) t->calibrateTimer();
  for (int32_t target : {0, -1, -2'000'000'000}) {
    timer.markStamp();
    const int64_t reads = clock.reads();
    timer.waitSince(target);
    EXPECT_EQ(clock.reads() - reads, 1) << target;
  }
  EXPECT_EQ(std::tuple(microTimer.loopCalibration(), microTimer.microsecondsPerTick(), wideTimer.microsecondsPerTick()),
            std::tuple(0.0f, 1.0f, 1.0f));
}

// A burst is late past 15 % of the space before it (the dark from the last
// light's end, what a receiver measures) and past 100 us. A wait whose target
// falls inside a longer burst's light is due when the light ends, with no
// space to stretch; a wait followed by a burst without a stamp between (a
// trailer) is judged by when that wait ended. Only startFrame forgets a late
// burst.
TEST_F(PortAndTimer, BurstLatePastItsAllowanceDisturbsTheFrame) {
  const struct {
    int32_t bytes, target;
    int64_t lateNs;
    bool stampNext, disturbed;
  } cases[] = {
      {0, 1000, 149'000, true, false}, {0, 1000, 151'000, true, true},   {0, 400, 99'000, true, false},
      {0, 400, 101'000, true, true},   {10, 1000, 99'000, true, false},  {10, 1000, 101'000, true, true},
      {2, 868, 99'000, true, false},   {2, 868, 101'000, true, true},  // a 399 us space after 2 bytes of light
      {0, 1000, 151'000, false, true}, {0, 1000, 149'000, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.bytes) + " bytes, wait " + std::to_string(c.target) + ", late " +
                 std::to_string(c.lateNs));
    VirtualCounter clock;
    PulseTimer timer(clock, rig.remote.adjustments);
    timer.calibrateTimer();
    timer.startFrame();
    timer.markStamp();
    clock.advanceNanoseconds(int64_t{c.bytes} * kByteNanoseconds);  // the light, as the port spins it
    timer.noteBurst(c.bytes);
    if (!c.stampNext) clock.holdUpOnce(clock.elapsedNanoseconds() + 1, c.lateNs);  // inside the spin
    timer.waitSince(c.target);
    if (c.stampNext) {
      clock.advanceNanoseconds(c.lateNs);  // held up between the wait and the next burst
      timer.markStamp();
    } else {
      timer.noteBurst(1);
    }
    EXPECT_EQ(timer.frameDisturbed(), c.disturbed);
    timer.startFrame();
    EXPECT_FALSE(timer.frameDisturbed());
  }
  // Held up between an on-time stamp and the write, which stamps its light
  // itself: only the write's late return tells, judged by the wait before
  // (1000 us here) or by the floor for a frame's first burst.
  const struct {
    int32_t waitBefore;
    int64_t lateNs;
    bool disturbed;
  } heldBeforeWrite[] = {{1000, 149'000, false}, {1000, 151'000, true}, {0, 99'000, false}, {0, 101'000, true}};
  for (const auto& c : heldBeforeWrite) {
    VirtualCounter clock;
    PulseTimer timer(clock, rig.remote.adjustments);
    timer.calibrateTimer();
    timer.startFrame();
    if (c.waitBefore > 0) timer.markStamp(), timer.waitSince(c.waitBefore);
    timer.markStamp();
    clock.advanceNanoseconds(c.lateNs + 10 * kByteNanoseconds);
    timer.noteBurst(10);
    EXPECT_EQ(timer.frameDisturbed(), c.disturbed) << c.waitBefore << " " << c.lateNs;
  }
}

// Built-in devices share the settings' pair and ignore their own candidates
// unless auto adjust runs; a user device brings its own pair from its next use.
TEST_F(PortAndTimer, AdjustmentsInForceFollowTheDeviceAndAutoAdjust) {
  Remote& remote = rig.remote;
  remote.settings.spaceAdjust = 2, remote.settings.markAdjust = -1;
  DeviceProfile& sony = *(remote.current.device = &remote.catalogue.builtIn[0]);
  sony.spaceAdjust = -4, sony.markAdjust = 3;
  const auto inForce = [&] {
    return std::tuple(remote.adjustments.spaceAdjust(), remote.adjustments.markAdjust(), remote.timer.markToBytes(2400));
  };
  EXPECT_EQ(inForce(), std::tuple(2, -1, 9));
  remote.autoAdjustActive = true;
  EXPECT_EQ(inForce(), std::tuple(-4, 3, 13));
  remote.autoAdjustActive = false;
  EXPECT_EQ(inForce(), std::tuple(2, -1, 9));
  DeviceProfile& user = *(remote.current.device = &remote.catalogue.userDevices[0]);
  user.spaceAdjust = -3, user.markAdjust = 4;
  EXPECT_EQ(inForce(), std::tuple(-3, 4, 14));
}

}  // namespace
}  // namespace zapvane::testing
