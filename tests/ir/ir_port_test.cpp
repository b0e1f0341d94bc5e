// The port opened for sending: its name, the configuration it applies, the
// failure the user sees, and bursts longer than the buffer.
#include "ir/ir_port.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/remote.h"
#include "platform/sim_transmitter.h"
#include "platform/virtual_platform.h"
#include "support/test_folder.h"

namespace zapvane {
namespace {

// The remote's port on a machine whose only port is the simulated COM1; with
// no window attached, what the user would see arrives on `err`.
class IrPortTest : public ::testing::Test {
 protected:
  IrPortTest() { remote.start(); }

  testing::TestFolder dir;
  VirtualPlatform machine;
  VirtualCounter& clock = machine.clock;
  std::ostringstream err;
  Remote remote{machine, DataFiles::in(dir.path().string()), err};
  IrPort& port = remote.port;
  IrSettings& settings = remote.settings;
};

TEST(PortDeviceName, IsOneBasedAndWrapsAsASigned16BitNumber) {
  const std::pair<int32_t, const char*> cases[] = {
      {0, "COM1:"}, {3, "COM4:"}, {-1, "COM0:"}, {65535, "COM0:"}, {32767, "COM-32768:"}, {2147483647, "COM0:"}};
  for (auto [port, name] : cases) EXPECT_EQ(portDeviceName(port), name) << port;
}

TEST_F(IrPortTest, OpeningConfiguresTheTransmitterForCarrierBursts) {
  ASSERT_TRUE(port.openForSending());
  ASSERT_NE(machine.opened, nullptr);
  const PortState& state = machine.opened->state();
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
  EXPECT_TRUE(machine.opened->infraredMode());
  EXPECT_EQ(machine.opened->timeouts(), (PortTimeouts{PortTimeouts::kMaxTimeout, 0, 0, 50, 1000}));
  EXPECT_EQ(machine.opened->eventMask(), kEventTransmitEmpty);
  EXPECT_TRUE(port.portBusy);
  EXPECT_EQ(err.str(), "");
}

TEST_F(IrPortTest, FailedOpenTellsTheUserAndStaysBusyUntilClosed) {
  settings.port = 1;
  EXPECT_FALSE(port.openForSending());
  EXPECT_EQ(machine.requestedPorts, (std::vector<std::string>{"COM2:"}));
  EXPECT_EQ(err.str(), "Communication error: Unable to open COM2:\n") << "one message, caption then text";
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
  for (const Burst& b : machine.opened->pendingBursts()) sizes.push_back(b.bytes);
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
