// The transmit worker on a virtual timeline: what a press sends, how often
// it repeats, the beep, priorities, a port that will not open, and auto
// adjust stepping through its candidates to the end. (The tap that ends auto
// adjust is the window's, tested with the pen.)
#include "ir/transmit_worker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <set>
#include <thread>

#include "app/auto_adjust_actions.h"
#include "app/user_device_actions.h"
#include "ir/auto_adjust.h"
#include "ir/frame_encoder.h"
#include "support/fakes.h"
#include "support/rig.h"

namespace zapvane::testing {
namespace {

constexpr int kSonyTv = 0, kSonyTuner = 9, kPanasonicVcr = 13, kToshibaTv = 18;

class TransmitWorkerTest : public ::testing::Test {
 protected:
  TransmitWorkerTest() {
    rig.started();
    remote.settings.soundOn = 1;
    remote.current.device = remote.catalogue.entries[kSonyTv];
  }

  // Presses `command`, lifts the pen after `sleeps` pauses (never at 0): did the port open? The
  // worker alone moves the virtual clock, so the timeline is exact; `watch` sees it after each pause.
  bool press(int32_t command, int sleeps, std::function<void(int64_t)> watch = nullptr, bool tap = false) {
    remote.pen.pressedButton = command;
    int seen = 0;
    rig.platform.virtualSleeps.afterSleep = [&](int64_t now) {
      if (watch) watch(now);
      if (++seen == sleeps) remote.pen.buttonHeld = false;
    };
    tap ? remote.worker.tap() : remote.worker.start();
    remote.worker.join();
    rig.platform.virtualSleeps.afterSleep = nullptr;
    return remote.worker.lastOpened();
  }

  // How long one frame of `command` of the shown device lasts by itself.
  int64_t frameNanoseconds(int32_t command) {
    Rig alone;
    alone.remote.timer.calibrateTimer();
    alone.remote.port.openForSending();
    alone.remote.current.device = remote.current.device.load();
    PortPrimitives out(alone.remote.timer, alone.remote.port);
    sendFrame(out, *remote.current.device.load(), command);
    return alone.platform.clock.elapsedNanoseconds();
  }

  Rig rig;
  Remote& remote = rig.remote;
};

// On the shift page the command is the hit test's, not the pressed button.
TEST_F(TransmitWorkerTest, ShortTapSendsOneFrameItsGapAndItsPause) {
  remote.pen.shiftPage = true, remote.pen.shiftCommand = 17;  // TV/AV, A50
  const int64_t frame = frameNanoseconds(17);
  ASSERT_TRUE(press(3, 1));
  ASSERT_EQ(rig.platform.frames.size(), 1u);
  std::string bits;
  for (const Burst& b : rig.platform.frames[0]) bits += b.bytes == 5 ? '1' : b.bytes == 3 ? '0' : 'h';
  EXPECT_EQ(bits, "h101001010000");
  EXPECT_EQ(rig.platform.clock.elapsedNanoseconds(), frame + 20'000'000 + 10'000'000);
  EXPECT_EQ(std::tuple(rig.platform.beeps.async.load(), rig.platform.priorityCalls.calls(), remote.port.portBusy.load()),
            std::tuple(1, "RNN", false));
}

// A counted press is a held button that lets go by itself: the same frames
// on the same timeline as a pen lifted after that many pauses.
TEST_F(TransmitWorkerTest, CountedPressSendsThatManyFramesAsAHeldButton) {
  const int64_t heldStart = rig.platform.clock.elapsedNanoseconds();
  ASSERT_TRUE(press(1, 3));
  const std::vector<std::vector<Burst>> held = rig.platform.frames;
  const int64_t later = rig.platform.clock.elapsedNanoseconds() - heldStart;
  rig.platform.frames.clear();
  remote.pen.pressedButton = 1;
  remote.worker.sendFrames(3);
  remote.worker.join();
  ASSERT_EQ(rig.platform.frames.size(), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(rig.platform.frames[i][0].startTick - held[i][0].startTick, later) << i;
}

// Each frame starts one frame, its gap and its pause after the one before:
// the gap is the device's, a learned one's scaled by its own space adjustment
// (150 ms x 0.9); the pause the command's extra delay + 10 ms, or 80 ms. Any
// sound setting but 0 beeps, once per press.
TEST_F(TransmitWorkerTest, HeldButtonRepeatsEveryFramePlusGapPlusPause) {
  ASSERT_EQ(createUserDevice(remote, u"Hi-fi", kTvSkin), CreateResult::created);
  DeviceProfile& user = remote.catalogue.userDevices[0];
  const int32_t words[] = {9000, 4500, 560, 560, 560, 1690, -1, -1};
  std::copy(std::begin(words), std::end(words), remote.buffers.signalRows[0][3]->words.begin());
  user.spaceAdjust = -2;
  const struct {
    DeviceProfile* device;
    int32_t command, soundOn;
    int64_t gapAndPause;
  } cases[] = {
      {remote.catalogue.entries[kPanasonicVcr], 0, 1, 80'000'000 + 210'000'000},  // extra delay 200 ms
      {remote.catalogue.entries[kSonyTuner], 11, 2, 20'000'000 + 9'000'000},      // extra delay -1 ms
      {remote.catalogue.entries[kSonyTv], 1, 0, 20'000'000 + 10'000'000},
      {&user, 3, 1, 135'000'000 + 80'000'000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("command " + std::to_string(c.command));
    rig.platform.frames.clear();
    remote.current.device = c.device;
    remote.settings.soundOn = c.soundOn;
    const int64_t frame = frameNanoseconds(c.command);
    ASSERT_TRUE(press(c.command, 4));
    ASSERT_EQ(rig.platform.frames.size(), 4u);
    for (size_t i = 1; i < 4; ++i) {
      EXPECT_EQ(rig.platform.frames[i][0].startTick - rig.platform.frames[i - 1][0].startTick, frame + c.gapAndPause);
    }
  }
  EXPECT_EQ(rig.platform.beeps.async, 3);
}

// A burst held up past its allowance (15 % of the interval before it, at
// least 100 us) disturbs its frame: a press without one whole frame sends it
// again after its gap and pause, at most twice, a whole copy. A
// held button's next repetitions suffice; a late gap end disturbs nothing. A
// tap is one frame even when the pen stays down (lifted at the 4th pause).
TEST_F(TransmitWorkerTest, FrameWithALateBurstIsSentAgainAfterItsGapWhenNoneArrivedWhole) {
  remote.current.device = remote.catalogue.entries[kToshibaTv];
  const int64_t frame = frameNanoseconds(0), space = 14'800'000, gapEnd = frame + 89'000'000;  // the first bit's
  const struct {
    int64_t at, late;
    int heldPauses;  // 0: a tap
    bool everyFrame;
    size_t frames;
    int32_t disturbed, resent;
  } cases[] = {
      {-1, 0, 0, false, 1, 0, 0},           {space, 500'000, 0, false, 2, 1, 1},
      {space, 100'000, 0, false, 1, 0, 0}, {gapEnd, 500'000, 0, false, 1, 0, 0},
      {space, 500'000, 3, false, 3, 1, 0}, {space, 500'000, 0, true, 3, 3, 2},
  };
  std::vector<Burst> whole;
  for (const auto& c : cases) {
    SCOPED_TRACE("late " + std::to_string(c.late) + " at " + std::to_string(c.at));
    rig.platform.frames.clear();
    const int64_t start = rig.platform.clock.elapsedNanoseconds();
    if (c.at >= 0) rig.platform.clock.holdUpOnce(start + c.at, c.late);
    ASSERT_TRUE(press(0, c.heldPauses == 0 ? 4 : c.heldPauses, [&](int64_t now) {
      if (c.everyFrame) rig.platform.clock.holdUpOnce(now + c.at, c.late);
    }, c.heldPauses == 0));
    ASSERT_EQ(rig.platform.frames.size(), c.frames);
    EXPECT_EQ(std::pair(remote.worker.lastDisturbed(), remote.worker.lastResent()), std::pair(c.disturbed, c.resent));
    if (whole.empty()) whole = rig.platform.frames[0];
    if (c.resent == 0 || c.resent != c.disturbed) continue;  // no copy after the late ones
    const std::vector<Burst>& last = rig.platform.frames.back();
    ASSERT_EQ(last.size(), whole.size());
    for (size_t i = 0; i < whole.size(); ++i) {
      EXPECT_EQ(std::pair(last[i].startTick - last[0].startTick, last[i].bytes),
                std::pair(whole[i].startTick - whole[0].startTick, whole[i].bytes)) << i;
    }
  }
}

// The frame gap sleeps but for its last 2 ms: a held NEC-shaped button (a
// 114 ms frame, a 90 ms gap, a 10 ms pause) keeps a core busy for its frames
// alone and stays well inside the kernel's 95 % real-time limit.
TEST_F(TransmitWorkerTest, HeldButtonSpinsThroughItsFramesButSleepsThroughMostOfItsGaps) {
  remote.current.device = remote.catalogue.entries[kToshibaTv];
  const int64_t frame = frameNanoseconds(0);
  const int64_t spunBefore = rig.platform.clock.spunNanoseconds();
  ASSERT_TRUE(press(0, 6));
  const int64_t spun = rig.platform.clock.spunNanoseconds() - spunBefore;
  EXPECT_NEAR(static_cast<double>(spun), 6.0 * static_cast<double>(frame + 2'000'000), 1000.0) << "frames of " << frame;
}

TEST_F(TransmitWorkerTest, PortThatWillNotOpenSendsNothingAndStaysSilent) {
  remote.settings.port = 2;
  EXPECT_FALSE(press(1, 1));
  EXPECT_EQ(std::tuple(rig.platform.frames.size(), rig.platform.beeps.async.load(), rig.platform.priorityCalls.calls(),
                       remote.port.portBusy.load()), std::tuple(0u, 0, "", false));
  EXPECT_EQ(rig.takeLines(), "Communication error: Unable to open COM3: no device in ports.conf\n");
}

// Held with auto adjust running until it ends by itself: from (0, 0) whatever
// an earlier run left, each candidate in force once, in order, until the
// first check past 2.5 s (timed while the mark stays 0: other marks change
// the frame); then nothing is stored and the idle timeouts come back.
TEST_F(TransmitWorkerTest, AutoAdjustStepsThroughAll121CandidatesThenGivesUp) {
  remote.settings.spaceAdjust = 4;
  rig.platform.idleTimeouts.setInForce(60, 300);
  RecordingMessages dialog;
  armAutoAdjust(remote, dialog);
  DeviceProfile& device = *remote.current.device.load();
  device.spaceAdjust = 3, device.markAdjust = 2;
  std::vector<std::pair<int32_t, int32_t>> seen;
  std::vector<int64_t> since;
  EXPECT_TRUE(press(1, 0, [&](int64_t now) {
    const std::pair<int32_t, int32_t> pair{device.spaceAdjust, device.markAdjust};
    if (seen.size() > 121) remote.pen.buttonHeld = false;  // a run that would never end fails instead
    if (!seen.empty() && seen.back() == pair) return;
    seen.push_back(pair);
    since.push_back(now);
  }));
  ASSERT_EQ(seen.size(), 121u);
  const std::vector<std::pair<int32_t, int32_t>> start{{0, 0}, {-1, 0}, {-2, 0}, {-3, 0}, {-4, 0}, {-5, 0},
                                                        {5, 0},  {4, 0},  {3, 0},  {2, 0},  {1, 0},  {0, -1}};
  EXPECT_TRUE(std::equal(start.begin(), start.end(), seen.begin()));
  EXPECT_EQ(std::tuple(seen[120], std::set(seen.begin(), seen.end()).size()), std::tuple(std::pair(1, 1), 121u));
  for (size_t i = 1; i < 10; ++i) EXPECT_TRUE(since[i + 1] > since[i] + 2'500'000'000 && since[i + 1] < since[i] + 2'600'000'000);
  EXPECT_EQ(std::pair(device.spaceAdjust.load(), device.markAdjust.load()), std::pair(0, 0));
  EXPECT_EQ(rig.takeLines(), "IR adjusting: " + autoAdjustExhausted().text + "\n");  // the window's, not the dialog's
  EXPECT_FALSE(remote.autoAdjustActive || remote.pen.buttonHeld);
  EXPECT_EQ(std::tuple(rig.platform.idleTimeouts.batterySeconds(), rig.platform.idleTimeouts.externalSeconds(),
                       remote.settings.spaceAdjust.load(), dialog.shown.size()), std::tuple(60, 300, 4, 1u));
}

// Real sleeps on the worker's own thread; each press ends on pen up.
TEST_F(TransmitWorkerTest, PenUpOnTheWindowThreadEndsTheWorker) {
  rig.platform.realSleeps = true;
  remote.pen.pressedButton = 1;
  for (int press = 0; press < 3; ++press) {
    remote.worker.start();
    EXPECT_TRUE(remote.worker.running());
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    remote.pen.buttonHeld = false;
    remote.worker.join();
    EXPECT_TRUE(!remote.worker.running() && !remote.port.portBusy && remote.worker.lastOpened());
  }
  EXPECT_TRUE(rig.platform.frames.size() >= 3u && rig.platform.beeps.async == 3);
}

}  // namespace
}  // namespace zapvane::testing
