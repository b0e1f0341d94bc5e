// The transmit worker on a virtual timeline: what a press sends, how often
// it repeats, the beep, priorities, a port that will not open, and auto
// adjust stepping through its candidates to the end.
#include "ir/transmit_worker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <utility>

#include "ir/auto_adjust.h"
#include "ir/frame_encoder.h"
#include "ir/frame_primitives.h"
#include "storage/settings_file.h"
#include "storage/user_devices_file.h"
#include "support/fakes.h"
#include "support/test_folder.h"

namespace zapvane {
namespace {

using testing::CountingBeeper;
using testing::RecordingMessages;
using testing::RecordingPriority;
using testing::RecordingSimOpener;

constexpr int kSonyTv = 0;
constexpr int kSonyTuner = 9;
constexpr int kPanasonicVcr = 13;

class TransmitWorkerTest : public ::testing::Test {
 protected:
  TransmitWorkerTest() {
    startCatalogue(core);
    core.settings.soundOn = 1;
    timer.calibrateTimer();
  }

  void show(int catalogueIndex) { core.current.device = core.catalogue.entries[static_cast<size_t>(catalogueIndex)]; }

  DeviceProfile& showUserDevice() {
    EXPECT_TRUE(allocateUserDeviceBuffers(core.buffers, 0));
    DeviceProfile& user = core.catalogue.userDevices[0];
    attachUserDeviceBuffers(user, core.buffers, 0);
    core.catalogue.userCount = 1;
    core.current.device = &user;
    return user;
  }

  // Presses command `command` and lifts the pen after `sleeps` pauses.
  bool press(int32_t command, int sleeps) {
    core.pen.pressedButton = command;
    core.pen.buttonHeld = true;
    int seen = 0;
    sleeper.afterSleep = [this, sleeps, &seen](int64_t) {
      if (++seen == sleeps) core.pen.buttonHeld = false;
    };
    return runTransmitWorker(context);
  }

  // How long one frame of `command` lasts on the shown device, from its
  // first stamp to the end of its last wait.
  int64_t frameNanoseconds(int32_t command) {
    VirtualCounter alone;
    PulseTimer aloneTimer(alone, core.adjustments);
    aloneTimer.calibrateTimer();
    RecordingSimOpener aloneOpener(alone);
    IrPort alonePort(aloneOpener, messages, core.settings);
    alonePort.openForSending();
    PortPrimitives primitives(aloneTimer, alonePort);
    const int64_t start = alone.elapsedNanoseconds();
    sendFrame(primitives, *core.current.device.load(), command);
    return alone.elapsedNanoseconds() - start;
  }

  // Each frame starts one frame, its gap and its pause after the one before.
  void expectPeriods(size_t frames, int64_t period, const std::string& row = "") {
    ASSERT_EQ(opener.frames.size(), frames) << row;
    for (size_t i = 1; i < frames; ++i) {
      const int64_t start = opener.frames[i].front().startTick, before = opener.frames[i - 1].front().startTick;
      EXPECT_NEAR(static_cast<double>(start - before), static_cast<double>(period), 1.0) << row << " frame " << i;
    }
  }

  RemoteCore core;
  VirtualCounter clock;
  PulseTimer timer{clock, core.adjustments};
  RecordingSimOpener opener{clock};
  RecordingMessages messages;
  IrPort port{opener, messages, core.settings};
  VirtualSleeper sleeper{clock};
  RecordingPriority priority;
  CountingBeeper beeper;
  IdleTimeouts idle;
  TransmitContext context{core, port, timer, sleeper, priority, beeper, idle, messages};
};

TEST_F(TransmitWorkerTest, ShortTapSendsOneFrameItsGapAndItsPause) {
  show(kSonyTv);
  const int64_t frame = frameNanoseconds(1);
  ASSERT_TRUE(press(1, 1));
  ASSERT_EQ(opener.frames.size(), 1u);
  EXPECT_EQ(opener.frames[0].size(), 13u);  // header and 12 bits
  EXPECT_NEAR(static_cast<double>(clock.elapsedNanoseconds()), static_cast<double>(frame + 20'000'000 + 10'000'000),
              1.0);
  EXPECT_EQ(beeper.async, 1);
  EXPECT_EQ(priority.calls, "RNN");
  EXPECT_FALSE(port.portBusy);
}

// The gap is the device's, a learned one's scaled by its own space adjustment
// (150 ms x 0.9); the pause the command's extra delay + 10 ms, or 80 ms.
TEST_F(TransmitWorkerTest, HeldButtonRepeatsEveryFramePlusGapPlusPause) {
  DeviceProfile& user = showUserDevice();
  const int32_t words[] = {9000, 4500, 560, 560, 560, 1690, -1, -1};
  std::copy(std::begin(words), std::end(words), core.buffers.signalRows[0][3]->words.begin());
  user.spaceAdjust = -2;
  const struct {
    DeviceProfile* device;
    int32_t command, soundOn;
    int64_t gapAndPauseNs;
  } cases[] = {
      {core.catalogue.entries[kPanasonicVcr], 0, 1, 80'000'000 + 210'000'000},  // extra delay 200 ms
      {core.catalogue.entries[kSonyTuner], 11, 1, 20'000'000 + 9'000'000},      // extra delay -1 ms
      {core.catalogue.entries[kSonyTv], 1, 0, 20'000'000 + 10'000'000},
      {&user, 3, 1, 135'000'000 + 80'000'000},
  };
  for (const auto& c : cases) {
    opener.frames.clear();
    core.current.device = c.device;
    core.settings.soundOn = c.soundOn;
    const int64_t frame = frameNanoseconds(c.command);
    ASSERT_TRUE(press(c.command, 4));
    expectPeriods(4, frame + c.gapAndPauseNs, "command " + std::to_string(c.command));
  }
  EXPECT_EQ(beeper.async, 3);  // once per worker that may sound, not per frame
}

TEST_F(TransmitWorkerTest, ShiftPageSendsTheShiftCommandNotThePressedButton) {
  show(kSonyTv);
  core.pen.shiftPage = true;
  core.pen.shiftCommand = 17;  // TV/AV, 0xA50
  ASSERT_TRUE(press(3, 1));
  ASSERT_EQ(opener.frames.size(), 1u);
  std::string bits;
  for (size_t i = 1; i < opener.frames[0].size(); ++i) bits += opener.frames[0][i].bytes == 5 ? '1' : '0';
  EXPECT_EQ(bits, "101001010000");
}

TEST_F(TransmitWorkerTest, PortThatWillNotOpenSendsNothingAndStaysSilent) {
  show(kSonyTv);
  core.settings.port = 2;
  EXPECT_FALSE(press(1, 1));
  EXPECT_TRUE(opener.frames.empty());
  EXPECT_EQ(beeper.async, 0);
  EXPECT_EQ(priority.calls, "");
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Unable to open COM3:");
  EXPECT_FALSE(port.portBusy);
}

using AutoAdjustTest = TransmitWorkerTest;

// Held with auto adjust running until it ends by itself: each candidate in
// force once, in order, until the first check past 2.5 s (timed while the
// mark stays 0: other marks change the frame, so when a change is seen); then
// nothing is stored and the idle timeouts come back.
TEST_F(AutoAdjustTest, StepsThroughAll121CandidatesInOrderThenGivesUp) {
  show(kSonyTv);
  core.settings.spaceAdjust = 4;
  idle.setInForce(60, 300);
  armAutoAdjust(core, idle, messages);
  EXPECT_EQ(idle.batterySeconds(), kAutoAdjustIdleSeconds);
  DeviceProfile& device = *core.current.device.load();
  device.spaceAdjust = 3;  // stale candidates from an earlier run
  core.pen.pressedButton = 1;
  core.pen.buttonHeld = true;
  std::vector<std::pair<int32_t, int32_t>> seen;
  std::vector<int64_t> since;
  sleeper.afterSleep = [&](int64_t now) {
    const std::pair<int32_t, int32_t> pair{device.spaceAdjust, device.markAdjust};
    if (!seen.empty() && seen.back() == pair) return;
    seen.push_back(pair);
    since.push_back(now);
  };
  EXPECT_TRUE(runTransmitWorker(context));

  ASSERT_EQ(seen.size(), 121u);
  const std::vector<std::pair<int32_t, int32_t>> start{{0, 0}, {-1, 0}, {-2, 0}, {-3, 0}, {-4, 0}, {-5, 0},
                                                        {5, 0},  {4, 0},  {3, 0},  {2, 0},  {1, 0},  {0, -1}};
  EXPECT_TRUE(std::equal(start.begin(), start.end(), seen.begin()));
  EXPECT_EQ(seen[120], std::make_pair(1, 1));
  EXPECT_EQ(std::set(seen.begin(), seen.end()).size(), 121u);
  for (size_t i = 1; i < 10; ++i) {
    EXPECT_GT(since[i + 1] - since[i], 2'500'000'000) << "candidate " << i;
    EXPECT_LT(since[i + 1] - since[i], 2'600'000'000) << "candidate " << i;
  }
  EXPECT_EQ(std::make_pair(device.spaceAdjust.load(), device.markAdjust.load()), std::make_pair(0, 0));
  ASSERT_EQ(messages.shown.size(), 2u);  // the instruction, then the end
  EXPECT_EQ(messages.shown[1].caption, "IR adjusting");
  EXPECT_EQ(messages.shown[1].text, autoAdjustExhausted().text);
  EXPECT_FALSE(core.autoAdjustActive);
  EXPECT_FALSE(core.pen.buttonHeld);
  EXPECT_EQ(idle.batterySeconds(), 60);
  EXPECT_EQ(idle.externalSeconds(), 300);
  EXPECT_EQ(core.settings.spaceAdjust, 4);
}

class EndingTapTest : public TransmitWorkerTest {
 protected:
  // The tap that ends auto adjust with candidates (space, mark) in force.
  void tapWith(DeviceProfile& device, int32_t space, int32_t mark) {
    armAutoAdjust(core, idle, messages);
    core.pen.buttonHeld = true;
    device.spaceAdjust = space;
    device.markAdjust = mark;
    endAutoAdjustByTap(core, idle, files, problems);
  }
  // The settings file's spaceAdjust, markAdjust and savedSelectionPos.
  std::tuple<int32_t, int32_t, int32_t> storedSettings() {
    IrSettings stored;
    EXPECT_TRUE(loadSettings(stored, files.settings, std::nullopt).fromFile);
    return {stored.spaceAdjust, stored.markAdjust, stored.savedSelectionPos};
  }

  testing::TestFolder dir;
  DataFiles files = DataFiles::in(dir.path().string());
  std::ostringstream err;
  ProblemReporter problems{err, "test"};
};

TEST_F(EndingTapTest, BuiltInDeviceStoresThePairInTheSharedSettings) {
  show(kSonyTv);
  core.current.selectionPos = 4;
  tapWith(*core.current.device.load(), -3, 2);
  EXPECT_FALSE(core.pen.buttonHeld);
  EXPECT_FALSE(core.autoAdjustActive);
  EXPECT_EQ(storedSettings(), std::tuple(-3, 2, 4));
  EXPECT_FALSE(std::filesystem::exists(files.userDevices));
  EXPECT_TRUE(err.str().empty());
}

TEST_F(EndingTapTest, UserDeviceKeepsThePairToItselfAndSavesTheUserDevices) {
  tapWith(showUserDevice(), 5, -5);
  EXPECT_EQ(storedSettings(), std::tuple(0, 0, 0));
  RemoteCore reloaded;
  startCatalogue(reloaded);
  loadUserDevices(reloaded.catalogue, reloaded.buffers, files.userDevices, messages);
  ASSERT_EQ(reloaded.catalogue.userCount, 1);
  const DeviceProfile& user = reloaded.catalogue.userDevices[0];
  EXPECT_EQ(std::make_pair(user.spaceAdjust.load(), user.markAdjust.load()), std::make_pair(5, -5));
}

// Real sleeps on the worker's own thread; each press ends on pen up.
TEST_F(TransmitWorkerTest, PenUpOnTheWindowThreadEndsTheWorker) {
  RealSleeper realSleeper;
  TransmitWorker worker({core, port, timer, realSleeper, priority, beeper, idle, messages});
  core.pen.pressedButton = 1;
  for (int press = 0; press < 3; ++press) {
    worker.start();
    EXPECT_TRUE(worker.running());
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    core.pen.buttonHeld = false;
    worker.join();
    EXPECT_FALSE(worker.running());
    EXPECT_TRUE(worker.lastOpened());
    EXPECT_FALSE(port.portBusy);
  }
  EXPECT_GE(opener.frames.size(), 3u);
  EXPECT_EQ(beeper.async, 3);
}

}  // namespace
}  // namespace zapvane
