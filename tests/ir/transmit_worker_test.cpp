// The transmit worker on a virtual timeline: what a press sends, how often
// it repeats, the beep, priorities, a port that will not open, and auto
// adjust stepping through its candidates to the end.
#include "ir/transmit_worker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <utility>

#include "app/auto_adjust_actions.h"
#include "app/remote.h"
#include "ir/auto_adjust.h"
#include "ir/frame_encoder.h"
#include "ir/frame_primitives.h"
#include "platform/sim_port_opener.h"
#include "platform/virtual_platform.h"
#include "storage/settings_file.h"
#include "support/fakes.h"
#include "support/test_folder.h"

namespace zapvane {
namespace {

using testing::RecordingMessages;

constexpr int kSonyTv = 0;
constexpr int kSonyTuner = 9;
constexpr int kPanasonicVcr = 13;

// The remote's own worker, started in a fresh data folder on a virtual
// machine whose only port is the simulated COM1. Without a window, what the
// user would be shown arrives on `err`.
class TransmitWorkerTest : public ::testing::Test {
 protected:
  TransmitWorkerTest() { remote.settings.soundOn = 1; }

  // A remote started in the test's folder on the disk.
  std::unique_ptr<Remote> startedOn(VirtualPlatform& platform) {
    platform.realFiles = true;
    auto fresh = std::make_unique<Remote>(platform, DataFiles::in(dir.path().string()), err);
    fresh->start();
    return fresh;
  }

  void show(int catalogueIndex) {
    remote.current.device = remote.catalogue.entries[static_cast<size_t>(catalogueIndex)];
  }

  DeviceProfile& showUserDevice() {
    EXPECT_TRUE(allocateUserDeviceBuffers(remote.buffers, 0));
    DeviceProfile& user = remote.catalogue.userDevices[0];
    attachUserDeviceBuffers(user, remote.buffers, 0);
    remote.catalogue.userCount = 1;
    remote.current.device = &user;
    return user;
  }

  // One press through the worker thread, to its end; whether the port opened.
  // The virtual clock moves on that thread alone, so the timeline is exact.
  bool runWorker() {
    remote.worker.start();
    remote.worker.join();
    machine.virtualSleeps.afterSleep = nullptr;
    return remote.worker.lastOpened();
  }

  // Presses command `command` and lifts the pen after `sleeps` pauses.
  bool press(int32_t command, int sleeps) {
    remote.pen.pressedButton = command;
    int seen = 0;
    machine.virtualSleeps.afterSleep = [this, sleeps, &seen](int64_t) {
      if (++seen == sleeps) remote.pen.buttonHeld = false;
    };
    return runWorker();
  }

  // How long one frame of `command` lasts on the shown device, from its
  // first stamp to the end of its last wait, measured on a clock of its own
  // with the adjustments the remote has in force.
  int64_t frameNanoseconds(int32_t command) {
    VirtualCounter alone;
    PulseTimer aloneTimer(alone, remote.adjustments);
    aloneTimer.calibrateTimer();
    SimPortOpener aloneOpener(alone);
    RecordingMessages messages;
    IrPort alonePort(aloneOpener, messages, remote.settings);
    alonePort.openForSending();
    PortPrimitives primitives(aloneTimer, alonePort);
    const int64_t start = alone.elapsedNanoseconds();
    sendFrame(primitives, *remote.current.device.load(), command);
    return alone.elapsedNanoseconds() - start;
  }

  // Each frame starts one frame, its gap and its pause after the one before.
  void expectPeriods(size_t frames, int64_t period, const std::string& row = "") {
    ASSERT_EQ(machine.frames.size(), frames) << row;
    for (size_t i = 1; i < frames; ++i) {
      const int64_t start = machine.frames[i].front().startTick, before = machine.frames[i - 1].front().startTick;
      EXPECT_NEAR(static_cast<double>(start - before), static_cast<double>(period), 1.0) << row << " frame " << i;
    }
  }

  testing::TestFolder dir;
  std::ostringstream err;
  VirtualPlatform machine;
  std::unique_ptr<Remote> started = startedOn(machine);
  Remote& remote = *started;
};

TEST_F(TransmitWorkerTest, ShortTapSendsOneFrameItsGapAndItsPause) {
  show(kSonyTv);
  const int64_t frame = frameNanoseconds(1);
  ASSERT_TRUE(press(1, 1));
  ASSERT_EQ(machine.frames.size(), 1u);
  EXPECT_EQ(machine.frames[0].size(), 13u);  // header and 12 bits
  EXPECT_NEAR(static_cast<double>(machine.clock.elapsedNanoseconds()),
              static_cast<double>(frame + 20'000'000 + 10'000'000), 1.0);
  EXPECT_EQ(machine.beeps.async, 1);
  EXPECT_EQ(machine.priorityCalls.calls(), "RNN");
  EXPECT_FALSE(remote.port.portBusy);
}

// The gap is the device's, a learned one's scaled by its own space adjustment
// (150 ms x 0.9); the pause the command's extra delay + 10 ms, or 80 ms.
TEST_F(TransmitWorkerTest, HeldButtonRepeatsEveryFramePlusGapPlusPause) {
  DeviceProfile& user = showUserDevice();
  const int32_t words[] = {9000, 4500, 560, 560, 560, 1690, -1, -1};
  std::copy(std::begin(words), std::end(words), remote.buffers.signalRows[0][3]->words.begin());
  user.spaceAdjust = -2;
  const struct {
    DeviceProfile* device;
    int32_t command, soundOn;
    int64_t gapAndPauseNs;
  } cases[] = {
      {remote.catalogue.entries[kPanasonicVcr], 0, 1, 80'000'000 + 210'000'000},  // extra delay 200 ms
      {remote.catalogue.entries[kSonyTuner], 11, 1, 20'000'000 + 9'000'000},      // extra delay -1 ms
      {remote.catalogue.entries[kSonyTv], 1, 0, 20'000'000 + 10'000'000},
      {&user, 3, 1, 135'000'000 + 80'000'000},
  };
  for (const auto& c : cases) {
    machine.frames.clear();
    remote.current.device = c.device;
    remote.settings.soundOn = c.soundOn;
    const int64_t frame = frameNanoseconds(c.command);
    ASSERT_TRUE(press(c.command, 4));
    expectPeriods(4, frame + c.gapAndPauseNs, "command " + std::to_string(c.command));
  }
  EXPECT_EQ(machine.beeps.async, 3);  // once per worker that may sound, not per frame
}

TEST_F(TransmitWorkerTest, ShiftPageSendsTheShiftCommandNotThePressedButton) {
  show(kSonyTv);
  remote.pen.shiftPage = true;
  remote.pen.shiftCommand = 17;  // TV/AV, 0xA50
  ASSERT_TRUE(press(3, 1));
  ASSERT_EQ(machine.frames.size(), 1u);
  std::string bits;
  for (size_t i = 1; i < machine.frames[0].size(); ++i) bits += machine.frames[0][i].bytes == 5 ? '1' : '0';
  EXPECT_EQ(bits, "101001010000");
}

TEST_F(TransmitWorkerTest, PortThatWillNotOpenSendsNothingAndStaysSilent) {
  show(kSonyTv);
  remote.settings.port = 2;
  EXPECT_FALSE(press(1, 1));
  EXPECT_TRUE(machine.frames.empty());
  EXPECT_EQ(machine.beeps.async, 0);
  EXPECT_EQ(machine.priorityCalls.calls(), "");
  EXPECT_EQ(err.str(), "Communication error: Unable to open COM3:\n") << "one message";
  EXPECT_FALSE(remote.port.portBusy);
}

using AutoAdjustTest = TransmitWorkerTest;

// Held with auto adjust running until it ends by itself: each candidate in
// force once, in order, until the first check past 2.5 s (timed while the
// mark stays 0: other marks change the frame, so when a change is seen); then
// nothing is stored and the idle timeouts come back.
TEST_F(AutoAdjustTest, StepsThroughAll121CandidatesInOrderThenGivesUp) {
  show(kSonyTv);
  remote.settings.spaceAdjust = 4;
  IdleTimeouts& idle = machine.idleTimeouts;
  idle.setInForce(60, 300);
  RecordingMessages dialog;
  armAutoAdjust(remote, dialog);
  EXPECT_EQ(idle.batterySeconds(), kAutoAdjustIdleSeconds);
  DeviceProfile& device = *remote.current.device.load();
  device.spaceAdjust = 3;  // stale candidates from an earlier run
  remote.pen.pressedButton = 1;
  std::vector<std::pair<int32_t, int32_t>> seen;
  std::vector<int64_t> since;
  machine.virtualSleeps.afterSleep = [&](int64_t now) {
    const std::pair<int32_t, int32_t> pair{device.spaceAdjust, device.markAdjust};
    if (!seen.empty() && seen.back() == pair) return;
    seen.push_back(pair);
    since.push_back(now);
  };
  EXPECT_TRUE(runWorker());

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
  // The instruction went to the dialog that armed; the end is the window's.
  ASSERT_EQ(dialog.shown.size(), 1u);
  EXPECT_EQ(dialog.shown[0].text, autoAdjustInstruction().text);
  EXPECT_EQ(err.str(), "IR adjusting: " + autoAdjustExhausted().text + "\n");
  EXPECT_FALSE(remote.autoAdjustActive);
  EXPECT_FALSE(remote.pen.buttonHeld);
  EXPECT_EQ(idle.batterySeconds(), 60);
  EXPECT_EQ(idle.externalSeconds(), 300);
  EXPECT_EQ(remote.settings.spaceAdjust, 4);
}

class EndingTapTest : public TransmitWorkerTest {
 protected:
  // The tap that ends auto adjust with candidates (space, mark) in force.
  // Start-up wrote the default settings; only the tap may write them again.
  void tapWith(DeviceProfile& device, int32_t space, int32_t mark) {
    std::filesystem::remove(remote.files.settings);
    RecordingMessages dialog;
    armAutoAdjust(remote, dialog);
    remote.pen.buttonHeld = true;
    device.spaceAdjust = space;
    device.markAdjust = mark;
    endAutoAdjustByTap(remote);
  }
  // The settings file's spaceAdjust, markAdjust and savedSelectionPos.
  std::tuple<int32_t, int32_t, int32_t> storedSettings() {
    IrSettings stored;
    EXPECT_TRUE(loadSettings(stored, testing::disk(), remote.files.settings, std::nullopt).fromFile);
    return {stored.spaceAdjust, stored.markAdjust, stored.savedSelectionPos};
  }
};

TEST_F(EndingTapTest, BuiltInDeviceStoresThePairInTheSharedSettings) {
  show(kSonyTv);
  remote.current.selectionPos = 4;
  tapWith(*remote.current.device.load(), -3, 2);
  EXPECT_FALSE(remote.pen.buttonHeld);
  EXPECT_FALSE(remote.autoAdjustActive);
  EXPECT_EQ(storedSettings(), std::tuple(-3, 2, 4));
  EXPECT_FALSE(std::filesystem::exists(remote.files.userDevices));
  EXPECT_TRUE(err.str().empty());
}

TEST_F(EndingTapTest, UserDeviceKeepsThePairToItselfAndSavesTheUserDevices) {
  tapWith(showUserDevice(), 5, -5);
  EXPECT_EQ(storedSettings(), std::tuple(0, 0, 0));
  VirtualPlatform nextMachine;
  const std::unique_ptr<Remote> reloaded = startedOn(nextMachine);
  ASSERT_EQ(reloaded->catalogue.userCount, 1);
  const DeviceProfile& user = reloaded->catalogue.userDevices[0];
  EXPECT_EQ(std::make_pair(user.spaceAdjust.load(), user.markAdjust.load()), std::make_pair(5, -5));
}

// Real sleeps on the worker's own thread; each press ends on pen up.
TEST_F(TransmitWorkerTest, PenUpOnTheWindowThreadEndsTheWorker) {
  VirtualPlatform realTime;
  realTime.realSleeps = true;
  const std::unique_ptr<Remote> windowed = startedOn(realTime);
  windowed->settings.soundOn = 1;
  windowed->pen.pressedButton = 1;
  TransmitWorker& worker = windowed->worker;
  for (int press = 0; press < 3; ++press) {
    worker.start();
    EXPECT_TRUE(worker.running());
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    windowed->pen.buttonHeld = false;
    worker.join();
    EXPECT_FALSE(worker.running());
    EXPECT_TRUE(worker.lastOpened());
    EXPECT_FALSE(windowed->port.portBusy);
  }
  EXPECT_GE(realTime.frames.size(), 3u);
  EXPECT_EQ(realTime.beeps.async, 3);
}

}  // namespace
}  // namespace zapvane
