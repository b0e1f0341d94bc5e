// Learning one command: a capture's polls into marks and gaps, case by case
// from tests/data/learn/capture_conversions.tsv; then captures of the simulated
// remote on a virtual clock, and every built-in command learned from its light.
#include "learn/learn_capture.h"

#include <gtest/gtest.h>

#include <set>

#include "app/user_device_actions.h"
#include "catalogue/reference_data.h"
#include "ir/frame_encoder.h"
#include "ir/light_matcher.h"
#include "support/fakes.h"
#include "support/rig.h"

namespace zapvane::testing {
namespace {

TEST(CaptureConversion, EachCaptureOfTheTableBecomesItsPairs) {
  for (const Row& r : readTable("learn/capture_conversions.tsv")) {
    SCOPED_TRACE(r.at(0));
    std::vector<CaptureEntry> entries;
    for (const std::string& entry : r.at(2) == "-" ? Row{} : split(r[2], ' ')) {
      entries.push_back({std::stoll(entry), std::stoi(entry.substr(entry.find(':') + 1))});
    }
    LearnedSignal signal;
    signal.words.fill(7);  // words past the end pair keep what they held
    convertCapture(entries.data(), static_cast<int>(entries.size()), std::stof(r.at(1)), signal);
    std::vector<int32_t> want = r.at(3) == "-" ? std::vector<int32_t>{} : numbers(r[3]);
    want.insert(want.end(), {kEndMark, kEndMark, 7});
    want.resize(std::min(want.size(), signal.words.size()));
    EXPECT_EQ(std::vector<int32_t>(signal.words.begin(), signal.words.begin() + std::ssize(want)), want);
  }
}

// A capture into a new TV-skin user device, run on the test thread so that it
// alone moves the virtual clock; the remote starts 100 ms after the opening.
class LearnCaptureTest : public ::testing::Test {
 protected:
  LearnCaptureTest() {
    rig.started();
    EXPECT_EQ(createUserDevice(remote, u"Learner", kTvSkin), CreateResult::created);
    remote.current.device = &remote.catalogue.userDevices[0];
  }
  // Opens the port for learning with `signal` to be heard (none: nothing ever
  // is) and captures into `slot`, or stops at once as closing the port does.
  CaptureEnd capture(int32_t slot, std::optional<RemoteSignal> signal, bool stopped = false) {
    rig.platform.remote = std::move(signal);
    EXPECT_TRUE(openForLearning(remote.port));
    remote.port.captureStop = stopped;
    remote.learning.learnSlot = slot;
    std::atomic<bool> waiting{true};
    return runLearnCapture({remote.catalogue, remote.current, remote.settings, remote.learning, remote.port,
                            remote.timer, rig.platform.priority(), rig.platform.beeper(), window},
                           waiting);
  }
  // The light of one frame sent on the port; with `toTheEnd` the last space
  // reaches the frame's end.
  std::vector<int64_t> lightOf(const DeviceProfile& device, int32_t command, bool toTheEnd) {
    rig.platform.remote.reset();
    EXPECT_TRUE(remote.port.openForSending());
    PortPrimitives out(remote.timer, remote.port);
    sendFrame(out, device, command);
    VirtualCounter& clock = rig.platform.clock;
    auto light = mode2Durations(rig.platform.opened->pendingBursts(), clock.frequency(), toTheEnd ? clock.now() : 0);
    remote.port.closePort();
    return light;
  }
  const LearnedSignal& slot(int32_t s) { return *remote.buffers.signalRows[0][static_cast<size_t>(s)]; }

  Rig rig;
  Remote& remote = rig.remote;
  RecordingLearnWindow window;
};

TEST_F(LearnCaptureTest, ListensOneSecondFromTheFirstCharacterThenConvertsAndReports) {
  remote.settings.soundOn = 1;
  const int64_t opened = rig.platform.clock.elapsedNanoseconds();
  EXPECT_EQ(capture(5, RemoteSignal{{560, 1690, 560, 560, 560}, 40'000}), CaptureEnd::stored);
  EXPECT_NEAR(static_cast<double>(rig.platform.clock.elapsedNanoseconds() - opened), 1.1e9, 2e6);
  EXPECT_EQ(std::pair(slot(5).mark(0), slot(5).space(0) > 1500), std::pair(8 * 80 + 100, true));  // 560 us: 8 characters
  EXPECT_FALSE(remote.port.portBusy || remote.learning.captureRunning);
  EXPECT_EQ(std::tuple(rig.platform.beeps.toEnd.load(), rig.platform.priorityCalls.calls()), std::tuple(1, "RN"));
  EXPECT_EQ(window.take(), "menus repaint report(learnDialog)");
}

// On the TV skin commands 17.. are the shift page; their names are asked first.
TEST_F(LearnCaptureTest, ShiftPageSlotsAskForTheirNameFirst) {
  for (const int32_t slot : {16, 17}) capture(slot, RemoteSignal{{1000, 2000, 1000}, 40'000});
  EXPECT_EQ(window.take(), "menus repaint report(learnDialog) menus repaint report(nameCommand)");
}

// 200 us marks 2.2 ms apart, each handed over in one poll: the 91st poll,
// long before a second is up, ends the capture with 89 pairs of 3 characters.
TEST_F(LearnCaptureTest, NinetyOnePollsEndTheCaptureWith89Pairs) {
  RemoteSignal busy{{}, 2'000};
  for (int i = 0; i < 100; ++i) busy.durations.insert(busy.durations.end(), {200, 2000});
  const int64_t opened = rig.platform.clock.elapsedNanoseconds();
  capture(0, busy);
  EXPECT_LT(rig.platform.clock.elapsedNanoseconds() - opened, 400'000'000);
  int pairs = 0;
  while (slot(0).mark(pairs) == 3 * 80 + 100 && slot(0).space(pairs) > 1900) ++pairs;
  EXPECT_EQ(std::pair(pairs, slot(0).mark(pairs)), std::pair(89, kEndMark));
}

TEST_F(LearnCaptureTest, StoppedCaptureStoresNothingAndReportsNothing) {
  const LearnedSignal before = slot(2);
  EXPECT_EQ(capture(2, std::nullopt, true), CaptureEnd::stopped);
  EXPECT_EQ(slot(2).words, before.words);
  EXPECT_EQ(window.take(), "menus");
  EXPECT_FALSE(remote.learning.captureRunning);
}

// Every built-in command learned from its own light and sent back decodes to
// its code, but for the SONY family (devices 0..11): the receiver hands a
// mark's last characters over 312.5 us after they end, and the conversion
// takes half of each neighbouring mark off, so their 550 us gaps measure
// below 281 us and the marks merge.
TEST_F(LearnCaptureTest, RoundTripOfEveryBuiltInCommand) {
  const LightMatcher matcher;
  int total = 0, decoded = 0;
  std::set<int32_t> failing;
  for (int32_t device = 0; device < kBuiltInCount; ++device) {
    const DeviceProfile& profile = remote.catalogue.builtIn[static_cast<size_t>(device)];
    for (int32_t command = 0; command < profile.commandCount; ++command) {
      if (!commandExists(command, profile)) continue;
      const std::vector<int64_t> light = lightOf(profile, command, true);
      capture(3, RemoteSignal{light, 50'000});
      std::vector<int64_t> replayed = lightOf(remote.catalogue.userDevices[0], 3, false);
      replayed.resize(std::min(replayed.size(), light.size() - (light.size() % 2 == 0 ? 1 : 0)));  // one frame's worth
      bool same = false;
      for (const LightMatch& m : matcher.match(replayed)) same |= m.device == device && m.command == command;
      ++total, decoded += same ? 1 : 0;
      if (!same) failing.insert(device);
    }
  }
  EXPECT_EQ(std::pair(total, decoded), std::pair(520, 338));
  EXPECT_EQ(failing, (std::set<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}

}  // namespace
}  // namespace zapvane::testing
