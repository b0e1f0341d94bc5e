// Learning on a kernel IR device: mode2 samples into pairs, case by case from
// tests/data/learn/sample_signals.tsv; a signal too long for a slot; and
// captures through a loopback device: the receiver's carrier range, Stop
// learn while nothing is heard, a device that cannot receive.
#include "learn/sample_capture.h"

#include <gtest/gtest.h>

#include "app/user_device_actions.h"
#include "catalogue/reference_data.h"
#include "support/rig.h"

namespace zapvane::testing {
namespace {

std::vector<int32_t> storedPairs(const SampleSignal& signal) {
  LearnedSignal slot;
  signal.store(slot);
  const auto end = std::find(slot.words.begin(), slot.words.end(), kEndMark);
  return {slot.words.begin(), end};
}

TEST(SampleSignal, EachSampleRunOfTheTableBecomesItsPairs) {
  const std::string kinds = "spfto";  // in the order of their type bytes
  for (const Row& r : readTable("learn/sample_signals.tsv")) {
    SCOPED_TRACE(r.at(0));
    SampleSignal signal;
    for (const std::string& sample : split(r.at(1), ' ')) {
      if (sample == "q") {
        signal.quiet(int64_t{kSamplePollMilliseconds} * 1000);
      } else {
        signal.add(static_cast<uint32_t>(kinds.find(sample[0])) << 24 | static_cast<uint32_t>(std::atoi(sample.c_str() + 1)));
      }
    }
    signal.finish();
    EXPECT_EQ(storedPairs(signal), r.at(2) == "-" ? std::vector<int32_t>{} : numbers(r[2]));
    EXPECT_EQ(signal.cut(), r.at(3) == "yes");
  }
}

// 89 pairs fit, the last one's pulse included; a 90th is cut whole.
TEST(SampleSignal, SignalsPastEightyNinePairsAreCutAtAPairBoundary) {
  for (const int pulses : {89, 90, 95}) {
    SampleSignal signal;
    for (int i = 0; i < pulses; ++i) {
      signal.add(1u << 24 | static_cast<uint32_t>(500 + i));
      signal.add(600);
    }
    signal.add(3u << 24);
    signal.finish();
    const std::vector<int32_t> pairs = storedPairs(signal);
    EXPECT_EQ(std::tuple(pairs.size(), signal.cut()), std::tuple(size_t{2 * kMaxLearnedPairs}, pulses > 89)) << pulses;
    EXPECT_EQ(pairs[2 * kMaxLearnedPairs - 2], 500 + kMaxLearnedPairs - 1);
    EXPECT_EQ(pairs.back(), pulses > 89 ? 600 : 0);
  }
}

// A capture into a new user device on COM1, a loopback kernel device.
class KernelLearnTest : public ::testing::Test {
 protected:
  KernelLearnTest() {
    const std::string conf = "COM1=lirc:/dev/lirc0\n";
    rig.put("ports.conf", {conf.begin(), conf.end()});
    rig.started();
    createUserDevice(remote, u"Copy", kTvSkin);
    remote.learning.editedUserDevice = 0;
    remote.learning.learnSlot = 2;
  }
  LearnedSignal& slot() { return *remote.catalogue.userDevices[0].learnedSlots[2]; }
  // Learns while `remote` (run at each quiet poll) acts; gives up after 50 polls.
  void learn(const std::function<void()>& press) {
    int polls = 0;
    rig.platform.loopback.whenListening = [&] {
      if (++polls == 50) remote.learnWorker.abandon();
      press();
    };
    if (remote.learnWorker.start()) remote.learnWorker.join();
    rig.platform.loopback.whenListening = nullptr;
  }
  Rig rig;
  Remote& remote = rig.remote;
};

// Another sender's light on the loopback reaches the capture only with a
// carrier inside the receiver's range; a capture that hears nothing ends by
// Stop learn and keeps the slot as it was.
TEST_F(KernelLearnTest, OnlyACarrierInTheReceiversRangeIsLearned) {
  for (const uint32_t carrier : {38'000u, 70'000u}) {
    slot().words[0] = kEndMark;
    LoopbackLirc& lirc = rig.platform.loopback;
    const int sender = lirc.open("/dev/lirc0");
    uint32_t hz = carrier;
    lirc.ioctl(sender, LIRC_SET_SEND_CARRIER, hz);
    const uint32_t light[] = {2400, 600, 1200};
    learn([&] { lirc.write(sender, light, sizeof light); });
    lirc.close(sender);
    const std::vector<int32_t> heard{2400, 600, 1200, 0, -1, -1}, kept{-1, 600, 1200, 0, -1, -1};
    EXPECT_EQ(std::vector<int32_t>(slot().words.begin(), slot().words.begin() + 6), carrier == 38'000u ? heard : kept);
    EXPECT_FALSE(remote.port.portBusy);
  }
}

TEST_F(KernelLearnTest, TooLongASignalIsCutAndTheWindowSaysSo) {
  std::vector<uint32_t> light;
  for (int i = 0; i < 95; ++i) light.insert(light.end(), {560, 560});
  light.pop_back();
  learn([&] { rig.platform.loopback.receive(light), rig.platform.loopback.whenListening = nullptr; });
  EXPECT_EQ(std::tuple(slot().mark(88), slot().space(88), slot().mark(89)), std::tuple(560, 560, kEndMark));
  remote.handleLearnReport(LearnReport::learnDialog);
  EXPECT_EQ(rig.takeLines(), "Limit: Signal too long! Only its first 89 pulses were learned.\n");
}

TEST_F(KernelLearnTest, ADeviceThatCannotReceiveIsNotOpened) {
  rig.platform.loopback.features = LIRC_CAN_SEND_PULSE;
  EXPECT_FALSE(remote.learnWorker.start());
  EXPECT_EQ(rig.takeLines(), "Communication error: Unable to open COM1: /dev/lirc0: the device cannot receive\n");
  EXPECT_EQ(std::tuple(remote.port.portBusy.load(), rig.platform.loopback.openCount()), std::tuple(false, 0));
}

}  // namespace
}  // namespace zapvane::testing
