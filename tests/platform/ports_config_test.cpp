// ports.conf: which backend stands behind each port name.
#include "platform/ports_config.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/sim_transmitter.h"
#include "support/test_folder.h"
#include "platform/virtual_counter.h"
#include "support/test_folder.h"

namespace zapvane {
namespace {

TEST(PortsConfig, ReadsPortAndBackendsIgnoringCommentsAndBlanks) {
  const PortsConfig config =
      parsePortsConfig("# transceiver on the second port\n\n  Port = 2 \r\nCOM1=/dev/ttyS0\nCOM3 = sim\n");
  EXPECT_EQ(config.port, 2);
  EXPECT_EQ(config.backendFor(1) + "|" + config.backendFor(2) + "|" + config.backendFor(3), "/dev/ttyS0||sim");
  EXPECT_TRUE(config.warnings.empty());
}

TEST(PortsConfig, MissingFileMeansSimulatorOnComOneOnly) {
  const PortsConfig config = loadPortsConfig(testing::disk(), "/nonexistent/zapvane/ports.conf");
  EXPECT_FALSE(config.port.has_value());
  EXPECT_EQ(config.backendFor(1), kSimBackend);
  for (int n : {0, 2, 3, 4, 5}) EXPECT_EQ(config.backendFor(n), "") << n;
}

TEST(PortsConfig, LinesItCannotUseAreReportedAndSkipped) {
  const PortsConfig config = parsePortsConfig("Port=two\nCOM5=sim\njunk\nCOM2=/dev/ttyUSB0\n");
  EXPECT_FALSE(config.port.has_value());
  EXPECT_EQ(config.warnings.size(), 3u);
  EXPECT_EQ(config.backendFor(2), "/dev/ttyUSB0");
}

TEST(ConfiguredPortOpener, OpensTheSimulatorAndRefusesPortsWithoutDevice) {
  VirtualCounter clock;
  ConfiguredPortOpener opener(parsePortsConfig("COM4=sim\n"), clock, "");
  std::string error;
  EXPECT_NE(dynamic_cast<SimTransmitter*>(opener.open("COM1:", error).get()), nullptr);
  EXPECT_NE(dynamic_cast<SimTransmitter*>(opener.open("COM4:", error).get()), nullptr);
  for (const char* name : {"COM2:", "COM5:", "COM0:", "COM1", "LPT1:"}) {
    error.clear();
    EXPECT_EQ(opener.open(name, error), nullptr) << name;
    EXPECT_FALSE(error.empty()) << name;
  }
}

TEST(ConfiguredPortOpener, SimRemoteIsHeardByTheSimulatedReceiver) {
  testing::TestFolder dir;
  std::ofstream(dir / "remote.pulses") << "pulse 560\nspace 1690\npulse 560\n";
  VirtualCounter clock;
  const std::string conf = "SimRemote=" + (dir / "remote.pulses") + "\nSimRemoteGap=40\n";
  ConfiguredPortOpener opener(parsePortsConfig(conf), clock, "");
  std::string error;
  auto port = opener.open("COM1:", error);
  ASSERT_NE(port, nullptr);
  uint8_t buffer[100];
  EXPECT_EQ(port->read(buffer, sizeof buffer), 0);  // the remote is pressed 0.1 s after opening
  clock.advanceNanoseconds(100'000'000 + 625'000);
  EXPECT_EQ(port->read(buffer, sizeof buffer), 8);  // 560 us of light: a FIFO load
}

}  // namespace
}  // namespace zapvane
