// The transmit worker on a virtual timeline: what a press sends, how often
// it repeats, the beep, priorities, a port that will not open, and auto
// adjust stepping through its candidates to the end.
#include "ir/transmit_worker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <thread>
#include <utility>

#include "ir/auto_adjust.h"
#include "ir/frame_encoder.h"
#include "ir/frame_primitives.h"
#include "storage/settings_file.h"
#include "storage/user_devices_file.h"
#include "support/fakes.h"

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

  std::vector<int64_t> framePeriods() const {
    std::vector<int64_t> periods;
    for (size_t i = 1; i < opener.frames.size(); ++i) {
      periods.push_back(opener.frames[i].front().startTick - opener.frames[i - 1].front().startTick);
    }
    return periods;
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

TEST_F(TransmitWorkerTest, HeldButtonRepeatsEveryFramePlusGapPlusPause) {
  const struct {
    int device;
    int32_t command;
    int64_t gapAndPauseNs;
  } cases[] = {
      {kPanasonicVcr, 0, 80'000'000 + 210'000'000},  // extra delay 200 ms
      {kSonyTuner, 11, 20'000'000 + 9'000'000},      // extra delay -1 ms
      {kSonyTv, 1, 20'000'000 + 10'000'000},
  };
  for (const auto& c : cases) {
    opener.frames.clear();
    show(c.device);
    const int64_t frame = frameNanoseconds(c.command);
    ASSERT_TRUE(press(c.command, 4));
    ASSERT_EQ(opener.frames.size(), 4u) << c.device;
    for (int64_t period : framePeriods()) EXPECT_NEAR(static_cast<double>(period), static_cast<double>(frame + c.gapAndPauseNs), 1.0) << c.device;
  }
  EXPECT_EQ(beeper.async, 3);  // once per worker, not per frame
}

TEST_F(TransmitWorkerTest, LearnedDeviceRepeatsAfterItsScaledGapAndEightyMilliseconds) {
  ASSERT_TRUE(allocateUserDeviceBuffers(core.buffers, 0));
  DeviceProfile& user = core.catalogue.userDevices[0];
  attachUserDeviceBuffers(user, core.buffers, 0);
  core.catalogue.userCount = 1;
  LearnedSignal& signal = *core.buffers.signalRows[0][3];
  signal.words = {};
  const int32_t words[] = {9000, 4500, 560, 560, 560, 1690, -1, -1};
  std::copy(std::begin(words), std::end(words), signal.words.begin());
  user.spaceAdjust = -2;  // 150 ms gap x 0.9
  core.current.device = &user;
  core.settings.soundOn = 0;

  const int64_t frame = frameNanoseconds(3);
  ASSERT_TRUE(press(3, 3));
  ASSERT_EQ(opener.frames.size(), 3u);
  for (int64_t period : framePeriods()) EXPECT_NEAR(static_cast<double>(period), static_cast<double>(frame + 135'000'000 + 80'000'000), 1.0);
  EXPECT_EQ(beeper.async, 0);
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

class AutoAdjustTest : public TransmitWorkerTest {
 protected:
  // Holds the button with auto adjust running until it ends by itself;
  // returns the candidates in force at each frame, in order, once each.
  std::vector<std::pair<int32_t, int32_t>> runToExhaustion() {
    idle.setInForce(60, 300);
    armAutoAdjust(core, idle, messages);
    EXPECT_EQ(idle.batterySeconds(), kAutoAdjustIdleSeconds);
    std::vector<std::pair<int32_t, int32_t>> seen;
    DeviceProfile& device = *core.current.device.load();
    device.spaceAdjust = 3;  // stale candidates from an earlier run
    core.pen.pressedButton = 1;
    core.pen.buttonHeld = true;
    sleeper.afterSleep = [&](int64_t) {
      const std::pair<int32_t, int32_t> now{device.spaceAdjust, device.markAdjust};
      if (seen.empty() || seen.back() != now) seen.push_back(now);
    };
    EXPECT_TRUE(runTransmitWorker(context));
    return seen;
  }
};

TEST_F(AutoAdjustTest, StepsThroughAll121CandidatesInOrderThenGivesUp) {
  show(kSonyTv);
  core.settings.spaceAdjust = 4;
  const auto seen = runToExhaustion();
  ASSERT_EQ(seen.size(), 121u);
  const std::vector<std::pair<int32_t, int32_t>> start{{0, 0}, {-1, 0}, {-2, 0}, {-3, 0}, {-4, 0}, {-5, 0},
                                                        {5, 0},  {4, 0},  {3, 0},  {2, 0},  {1, 0},  {0, -1}};
  EXPECT_TRUE(std::equal(start.begin(), start.end(), seen.begin()));
  EXPECT_EQ(seen[120], std::make_pair(1, 1));
  EXPECT_EQ(std::set(seen.begin(), seen.end()).size(), 121u);
  const DeviceProfile& device = *core.current.device.load();
  EXPECT_EQ(std::make_pair(device.spaceAdjust.load(), device.markAdjust.load()), std::make_pair(0, 0));

  ASSERT_EQ(messages.shown.size(), 2u);  // the instruction, then the end
  EXPECT_EQ(messages.shown[1].caption, "IR adjusting");
  EXPECT_EQ(messages.shown[1].text, autoAdjustExhausted().text);
  EXPECT_FALSE(core.autoAdjustActive);
  EXPECT_FALSE(core.pen.buttonHeld);
  EXPECT_EQ(idle.batterySeconds(), 60);
  EXPECT_EQ(idle.externalSeconds(), 300);
  EXPECT_EQ(core.settings.spaceAdjust, 4);  // nothing stored
}

TEST_F(AutoAdjustTest, EachCandidateStaysInForceForMoreThanTwoAndAHalfSeconds) {
  show(kSonyTv);
  std::vector<int64_t> changes;
  DeviceProfile& device = *core.current.device.load();
  int32_t last = 0;
  armAutoAdjust(core, idle, messages);
  core.pen.pressedButton = 1;
  core.pen.buttonHeld = true;
  sleeper.afterSleep = [&](int64_t now) {
    if (device.spaceAdjust != last) changes.push_back(now);
    last = device.spaceAdjust;
    if (changes.size() == 4) core.pen.buttonHeld = false;
  };
  ASSERT_TRUE(runTransmitWorker(context));
  ASSERT_EQ(changes.size(), 4u);
  for (size_t i = 1; i < changes.size(); ++i) {
    EXPECT_GT(changes[i] - changes[i - 1], 2'500'000'000);
    EXPECT_LT(changes[i] - changes[i - 1], 2'600'000'000);  // the next check after, not much later
  }
}

class EndingTapTest : public TransmitWorkerTest {
 protected:
  void SetUp() override {
    dir = std::filesystem::path(::testing::TempDir()) /
          (std::string("zapvane-ending-tap-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    files = DataFiles::in(dir.string());
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  std::filesystem::path dir;
  DataFiles files;
  std::ostringstream err;
  ProblemReporter problems{err, "test"};
};

TEST_F(EndingTapTest, BuiltInDeviceStoresThePairInTheSharedSettings) {
  show(kSonyTv);
  armAutoAdjust(core, idle, messages);
  core.pen.buttonHeld = true;
  DeviceProfile& device = *core.current.device.load();
  device.spaceAdjust = -3;
  device.markAdjust = 2;
  core.current.selectionPos = 4;
  endAutoAdjustByTap(core, idle, files, problems);
  EXPECT_FALSE(core.pen.buttonHeld);
  EXPECT_FALSE(core.autoAdjustActive);
  IrSettings stored;
  ASSERT_TRUE(loadSettings(stored, files.settings, std::nullopt).fromFile);
  EXPECT_EQ(stored.spaceAdjust, -3);
  EXPECT_EQ(stored.markAdjust, 2);
  EXPECT_EQ(stored.savedSelectionPos, 4);
  EXPECT_FALSE(std::filesystem::exists(files.userDevices));
  EXPECT_TRUE(err.str().empty());
}

TEST_F(EndingTapTest, UserDeviceKeepsThePairToItselfAndSavesTheUserDevices) {
  ASSERT_TRUE(allocateUserDeviceBuffers(core.buffers, 0));
  DeviceProfile& user = core.catalogue.userDevices[0];
  attachUserDeviceBuffers(user, core.buffers, 0);
  core.catalogue.userCount = 1;
  core.current.device = &user;
  armAutoAdjust(core, idle, messages);
  core.pen.buttonHeld = true;
  user.spaceAdjust = 5;
  user.markAdjust = -5;
  endAutoAdjustByTap(core, idle, files, problems);

  IrSettings stored;
  ASSERT_TRUE(loadSettings(stored, files.settings, std::nullopt).fromFile);
  EXPECT_EQ(stored.spaceAdjust, 0);
  EXPECT_EQ(stored.markAdjust, 0);
  RemoteCore reloaded;
  startCatalogue(reloaded);
  loadUserDevices(reloaded.catalogue, reloaded.buffers, files.userDevices, messages);
  ASSERT_EQ(reloaded.catalogue.userCount, 1);
  EXPECT_EQ(reloaded.catalogue.userDevices[0].spaceAdjust, 5);
  EXPECT_EQ(reloaded.catalogue.userDevices[0].markAdjust, -5);
}

TEST(TransmitWorkerThread, PenUpOnTheWindowThreadEndsTheWorker) {
  RemoteCore core;
  startCatalogue(core);
  VirtualCounter clock;
  PulseTimer timer(clock, core.adjustments);
  timer.calibrateTimer();
  RecordingSimOpener opener(clock);
  RecordingMessages messages;
  IrPort port(opener, messages, core.settings);
  RealSleeper sleeper;
  NoThreadPriority priority;
  SilentBeeper beeper;
  IdleTimeouts idle;
  TransmitWorker worker({core, port, timer, sleeper, priority, beeper, idle, messages});
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
}

}  // namespace
}  // namespace zapvane
