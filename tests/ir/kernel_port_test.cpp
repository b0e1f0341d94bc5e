// A kernel IR device (a loopback one on the virtual clock) as the port: what
// a send writes against the light of the serial port, a held button, the
// device's failures, and learning from its samples, round trip included.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "app/user_device_actions.h"
#include "ir/frame_light.h"
#include "ir/light_matcher.h"
#include "learn/sample_capture.h"
#include "support/rig.h"

namespace zapvane::testing {
namespace {

constexpr int32_t kSimPort = 0, kLircPort = 1;

class KernelPortTest : public ::testing::Test {
 protected:
  explicit KernelPortTest(const std::string& conf = "COM2=lirc:/dev/lirc0\n") {
    rig.put("ports.conf", {conf.begin(), conf.end()});
    rig.started();
  }

  // A tap of `command` of `device` on `port`; the pen comes up once the
  // virtual clock has passed `holdNanoseconds`.
  void send(const DeviceProfile* device, int32_t command, int32_t port, int64_t holdNanoseconds = 0) {
    remote.current.device = const_cast<DeviceProfile*>(device);
    remote.settings.port = port;
    remote.pen.pressedButton = command;
    const int64_t until = rig.platform.clock.elapsedNanoseconds() + holdNanoseconds;
    rig.platform.virtualSleeps.afterSleep = [&](int64_t now) {
      if (now >= until) remote.pen.buttonHeld = false;
    };
    holdNanoseconds > 0 ? remote.worker.start() : remote.worker.tap();
    remote.worker.join();
    rig.platform.virtualSleeps.afterSleep = nullptr;
  }
  std::vector<uint32_t> lastWrite() const { return lirc.sent().empty() ? std::vector<uint32_t>{} : lirc.sent().back().durations; }

  Rig rig;
  Remote& remote = rig.remote;
  LoopbackLirc& lirc = rig.platform.loopback;
};

// The serial port's light of each present command, less the space after its
// last pulse, is what the kernel is handed, in one write.
TEST_F(KernelPortTest, EveryPresentCommandWritesTheLightOfTheSerialPort) {
  int commands = 0;
  for (int32_t d = 0; d < kBuiltInCount; ++d) {
    const DeviceProfile& device = remote.catalogue.builtIn[static_cast<size_t>(d)];
    for (int32_t c = 0; c < device.commandCount; ++c) {
      if (!commandExists(c, device)) continue;
      ++commands;
      send(&device, c, kSimPort);
      const auto light = mode2Durations(rig.platform.frames.back(), rig.platform.clock.frequency(), 0);
      const size_t writes = lirc.sent().size();
      send(&device, c, kLircPort);
      ASSERT_EQ(lirc.sent().size(), writes + 1) << d << " " << c;
      const std::vector<uint32_t> written = lastWrite();
      ASSERT_EQ(std::vector<int64_t>(written.begin(), written.end()), light) << d << " " << c;
    }
  }
  EXPECT_EQ(commands, 520);
  EXPECT_EQ(std::tuple(lirc.carrierHz(), lirc.dutyCycle()), std::tuple(38000u, 0u));
}

// A write ends on a pulse; a mark the burst buffer split is one pulse again.
TEST(KernelPulses, TrailingSpaceDroppedSplitMarksJoined) {
  EXPECT_EQ(kernelPulses({2400, 0, 1200, 600, 500, 300}), (std::vector<uint32_t>{3600, 600, 500}));
  EXPECT_EQ(kernelPulses({35156, 0, 35156, 0, 700}), (std::vector<uint32_t>{71012}));
  EXPECT_EQ(kernelPulses({}), std::vector<uint32_t>{});
}

// The same frames on the same beat; the kernel times the light, so the worker
// never asks for real-time priority.
TEST_F(KernelPortTest, HeldButtonRepeatsAsOnTheSimulatedPort) {
  for (const int32_t device : {0, 13, 18, 30}) {
    const DeviceProfile* profile = remote.catalogue.entries[static_cast<size_t>(device)];
    int32_t command = 0;
    while (!commandExists(command, *profile)) ++command;
    rig.platform.frames.clear();
    const int64_t simStart = rig.platform.clock.elapsedNanoseconds();
    send(profile, command, kSimPort, 1'000'000'000);
    const size_t before = lirc.sent().size();
    const std::string calls = rig.platform.priorityCalls.calls();
    const int64_t lircStart = rig.platform.clock.elapsedNanoseconds();
    send(profile, command, kLircPort, 1'000'000'000);
    const auto sent = lirc.sent();
    ASSERT_GT(rig.platform.frames.size(), 2u);
    ASSERT_EQ(sent.size() - before, rig.platform.frames.size()) << device;
    // The kernel takes whole microseconds: a frame's write may outlast its
    // exact light by their rounding, never by a microsecond.
    const auto simAt = [&](size_t i) { return rig.platform.clock.nanosecondsAt(rig.platform.frames[i][0].startTick) - simStart; };
    EXPECT_EQ(sent[before].startNanoseconds - lircStart, simAt(0));
    for (size_t i = 1; i < rig.platform.frames.size(); ++i) {
      const int64_t overrun = sent[before + i].startNanoseconds - sent[before + i - 1].startNanoseconds - (simAt(i) - simAt(i - 1));
      EXPECT_TRUE(overrun >= 0 && overrun < 1000) << device << " frame " << i << ": " << overrun;
    }
    EXPECT_EQ(rig.platform.priorityCalls.calls().substr(calls.size()).find('R'), std::string::npos);
  }
}

// Carrier and duty cycle where the device takes them; a device that cannot
// send, data it refuses and an unplug mid-hold end the send with the port's
// message and the device's reason.
TEST_F(KernelPortTest, DeviceSettingsAndFailures) {
  const struct {
    uint32_t features;
    int writeError, unplugAfter;
    size_t writes;
    const char* line;
  } cases[] = {
      {kLoopbackFeatures, 0, -1, 3, ""},
      {kLoopbackFeatures & ~uint32_t{LIRC_CAN_SET_SEND_CARRIER | LIRC_CAN_SET_SEND_DUTY_CYCLE}, 0, -1, 3, ""},
      {kLoopbackFeatures & ~uint32_t{LIRC_CAN_SEND_PULSE}, 0, -1, 0, "Unable to open COM2: /dev/lirc0: the device cannot send"},
      {kLoopbackFeatures, EINVAL, -1, 0, "Unable to open COM2: /dev/lirc0: write: Invalid argument"},
      {kLoopbackFeatures, 0, 2, 2, "Unable to open COM2: /dev/lirc0: write: No such device"},
  };
  for (const auto& c : cases) {
    Rig other;
    const std::string conf = "COM2=lirc:/dev/lirc0\nCOM2.Carrier=36000\nCOM2.DutyCycle=40\n";
    other.put("ports.conf", {conf.begin(), conf.end()});
    other.started();
    other.platform.loopback.features = c.features;
    other.platform.loopback.writeError = c.writeError;
    other.platform.loopback.writesBeforeUnplug = c.unplugAfter;
    other.remote.current.device = other.remote.catalogue.entries[0];
    other.remote.settings.port = kLircPort;
    other.remote.pen.pressedButton = 1;
    other.platform.virtualSleeps.afterSleep = [&](int64_t now) {
      if (now > 120'000'000) other.remote.pen.buttonHeld = false;  // three frames, unless cut short
    };
    other.remote.worker.start();
    other.remote.worker.join();
    const bool carrier = (c.features & LIRC_CAN_SET_SEND_CARRIER) != 0 && (c.features & LIRC_CAN_SEND_PULSE) != 0;
    EXPECT_EQ(other.platform.loopback.sent().size(), c.writes) << c.line;
    EXPECT_EQ(other.platform.loopback.carrierHz(), carrier ? 36000u : 0u) << c.line;
    EXPECT_EQ(other.platform.loopback.dutyCycle(), carrier ? 40u : 0u) << c.line;
    const std::string expected = *c.line ? std::string("Communication error: ") + c.line + "\n" : "";
    EXPECT_EQ(other.takeLines(), expected);
    EXPECT_EQ(other.remote.port.deviceFailure().isOk(), c.unplugAfter < 0 && c.writeError == 0) << c.line;
    EXPECT_FALSE(other.remote.port.portBusy);
  }
}

// A learned signal longer than one write may hold goes in pieces split at
// a space, the space kept between them on the timeline.
TEST_F(KernelPortTest, ALongLearnedSignalGoesInPiecesSplitAtASpace) {
  ASSERT_EQ(createUserDevice(remote, u"Slow", kTvSkin), CreateResult::created);
  const int32_t words[] = {9000, 300000, 9000, 300000, 9000, 0, -1, -1};
  std::copy(std::begin(words), std::end(words), remote.buffers.signalRows[0][0]->words.begin());
  send(&remote.catalogue.userDevices[0], 0, kLircPort);
  const auto sent = lirc.sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].durations, (std::vector<uint32_t>{8906, 299986, 8906}));
  EXPECT_EQ(sent[1].durations, std::vector<uint32_t>{8906});
  EXPECT_EQ(sent[1].startNanoseconds - sent[0].startNanoseconds, (8906 + 299986 + 8906 + 299986) * 1000);
}

// Every present command, learned on the kernel port from the light its own
// send wrote and sent back from the user device, is recognised as itself.
TEST_F(KernelPortTest, EveryCommandLearnedFromTheLoopbackSendsItsOwnCode) {
  ASSERT_EQ(createUserDevice(remote, u"Copy", kTvSkin), CreateResult::created);
  DeviceProfile& user = remote.catalogue.userDevices[0];
  remote.learning.editedUserDevice = 0;
  remote.learning.learnSlot = 0;
  const LightMatcher matcher;
  int recognised = 0;
  std::set<int32_t> sonyDevices;
  for (int32_t d = 0; d < kBuiltInCount; ++d) {
    const DeviceProfile& device = remote.catalogue.builtIn[static_cast<size_t>(d)];
    for (int32_t c = 0; c < device.commandCount; ++c) {
      if (!commandExists(c, device)) continue;
      send(&device, c, kLircPort);
      const std::vector<uint32_t> original = lastWrite();
      lirc.whenListening = [&] { lirc.receive(original), lirc.whenListening = nullptr; };
      remote.current.device = &user;
      ASSERT_TRUE(remote.learnWorker.start());
      remote.learnWorker.join();
      send(&user, 0, kLircPort);
      const std::vector<uint32_t> written = lastWrite();
      const std::vector<int64_t> back(written.begin(), written.end());
      const auto matches = matcher.match(back);
      const bool own = std::any_of(matches.begin(), matches.end(), [&](const LightMatch& m) { return m.device == d && m.command == c; });
      EXPECT_TRUE(own) << "device " << d << " command " << c;
      recognised += own;
      if (own && std::u16string(device.name.data(), 4) == u"SONY") sonyDevices.insert(d);
    }
  }
  EXPECT_EQ(std::tuple(recognised, sonyDevices.size()), std::tuple(520, 12u));
}

}  // namespace
}  // namespace zapvane::testing
