// The port opened for sending: its name, the configuration it applies, the
// failure the user sees, and bursts longer than the buffer.
#include "ir/ir_port.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/sim_transmitter.h"
#include "platform/virtual_counter.h"
#include "support/fakes.h"

namespace zapvane {
namespace {

using testing::RecordingMessages;

class IrPortTest : public ::testing::Test {
 protected:
  VirtualCounter clock;
  testing::RecordingSimOpener opener{clock, "COM1:"};
  RecordingMessages messages;
  IrSettings settings;
  IrPort port{opener, messages, settings};
};

TEST(PortDeviceName, IsOneBasedAndWrapsAsASigned16BitNumber) {
  const std::pair<int32_t, const char*> cases[] = {
      {0, "COM1:"}, {3, "COM4:"}, {-1, "COM0:"}, {65535, "COM0:"}, {32767, "COM-32768:"}, {2147483647, "COM0:"}};
  for (auto [port, name] : cases) EXPECT_EQ(portDeviceName(port), name) << port;
}

TEST_F(IrPortTest, OpeningConfiguresTheTransmitterForCarrierBursts) {
  ASSERT_TRUE(port.openForSending());
  ASSERT_NE(opener.opened, nullptr);
  const PortState& state = opener.opened->state();
  EXPECT_EQ(state.baudRate, 38400u);
  EXPECT_EQ(state.byteSize, 7);
  EXPECT_EQ(state.parity, Parity::none);
  EXPECT_EQ(state.stopBits, StopBits::one);
  EXPECT_TRUE(state.binary);
  EXPECT_TRUE(state.txContinueOnXoff);
  EXPECT_FALSE(state.parityCheck || state.outxCtsFlow || state.outxDsrFlow || state.dsrSensitivity ||
               state.outX || state.inX || state.errorChar || state.nullStrip || state.abortOnError);
  EXPECT_EQ(state.dtrControl, LineControl::disable);
  EXPECT_EQ(state.rtsControl, LineControl::disable);
  EXPECT_TRUE(opener.opened->infraredMode());
  EXPECT_EQ(opener.opened->timeouts(), (PortTimeouts{PortTimeouts::kMaxTimeout, 0, 0, 50, 1000}));
  EXPECT_EQ(opener.opened->eventMask(), kEventTransmitEmpty);
  EXPECT_TRUE(port.portBusy);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(IrPortTest, FailedOpenTellsTheUserAndStaysBusyUntilClosed) {
  settings.port = 1;
  EXPECT_FALSE(port.openForSending());
  EXPECT_EQ(opener.requested, (std::vector<std::string>{"COM2:"}));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Unable to open COM2:");
  EXPECT_EQ(messages.shown[0].caption, "Communication error");
  EXPECT_TRUE(port.portBusy);
  port.closePort();
  EXPECT_FALSE(port.portBusy);
  EXPECT_TRUE(port.captureStop);
}

TEST_F(IrPortTest, LongBurstIsSplitIntoBufferSizedWrites) {
  ASSERT_TRUE(port.openForSending());
  port.writeBurst(400);
  port.writeBurst(0);
  port.writeBurst(-3);
  port.writeBurst(150);
  std::vector<int32_t> sizes;
  for (const Burst& b : opener.opened->pendingBursts()) sizes.push_back(b.bytes);
  EXPECT_EQ(sizes, (std::vector<int32_t>{150, 150, 100, 150}));
  // Each write is synchronous: 550 bytes of light have passed.
  EXPECT_EQ(clock.elapsedNanoseconds(), 550 * kByteNanoseconds);
}

TEST_F(IrPortTest, WritingOrClosingAClosedPortIsHarmless) {
  port.writeBurst(10);
  port.closePort();
  port.closePort();
  EXPECT_FALSE(port.portBusy);
  EXPECT_EQ(clock.elapsedNanoseconds(), 0);
}

}  // namespace
}  // namespace zapvane
