// The termios backend against a pseudo-terminal: the test holds the master,
// the port opens the slave by its path as ports.conf names it.
#include "platform/termios_serial.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>

#include "ir/ir_port.h"
#include "platform/ports_config.h"
#include "platform/virtual_counter.h"
#include "support/fakes.h"

namespace zapvane::testing {

class TermiosSerial : public ::testing::Test {
 protected:
  ~TermiosSerial() override { port.reset(), close(master), close(slave); }
  // What reaches the master: up to a second for `expected` bytes, then briefly for any surplus.
  std::vector<uint8_t> readMaster(size_t expected) const {
    std::vector<uint8_t> got;
    uint8_t buffer[512];
    for (pollfd ready{master, POLLIN, 0}; poll(&ready, 1, got.size() >= expected ? 50 : 1000) > 0;)
      got.insert(got.end(), buffer, buffer + std::max<ssize_t>(::read(master, buffer, sizeof buffer), 0));
    return got;
  }

  int master = -1, slave = -1;
  const bool opened = openpty(&master, &slave, nullptr, nullptr, nullptr) == 0;
  const std::string slavePath = opened ? ttyname(slave) : "";
  VirtualCounter counter;
  ConfiguredPortOpener opener{parsePortsConfig("COM1=" + slavePath), counter, ""};
  RecordingMessages shown;
  IrSettings settings;
  std::unique_ptr<IrPort> port = std::make_unique<IrPort>(opener, shown, settings);
};

// From a cooked line with flow control, so that every word must change; a pty
// forces 8 bits and no parity (the 7 bits show below). Reads never wait.
TEST_F(TermiosSerial, OpenForSendingSetsTheLineWritesBurstsAndReadsAtOnce) {
  termios t{};
  tcgetattr(slave, &t), cfsetspeed(&t, B9600);
  t.c_cflag |= CSTOPB | CRTSCTS, t.c_iflag |= IXON | IXOFF | INPCK | ICRNL;
  ASSERT_TRUE(opened && tcsetattr(slave, TCSANOW, &t) == 0 && port->openForSending() && shown.shown.empty());
  ASSERT_EQ(tcgetattr(master, &t), 0);  // the master reads the slave's line
  EXPECT_TRUE(cfgetispeed(&t) == B38400 && cfgetospeed(&t) == B38400);
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD), CLOCAL | CREAD);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | INPCK | ICRNL | INLCR | IGNCR | ISTRIP | PARMRK), 0u);
  EXPECT_EQ((t.c_oflag & OPOST) | (t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) | t.c_cc[VMIN] | t.c_cc[VTIME], 0u);
  for (const size_t n : {38u, 400u, 0u}) {  // 400 goes out as 150 + 150 + 100
    port->writeBurst(static_cast<int32_t>(n));
    EXPECT_EQ(readMaster(n), std::vector<uint8_t>(n, 0)) << n << " bytes";
  }
  SerialDevice& device = *port->device();
  uint8_t buffer[100];
  EXPECT_TRUE(device.escape(kEscapeInfraredMode) && !device.escape(3) && device.read(buffer, sizeof buffer) == 0);
  ASSERT_EQ(::write(master, "\x00\x0d\xff", 3), 3);
  std::vector<uint8_t> got;
  for (int tries = 0; tries < 1000 && got.size() < 3; ++tries, usleep(1000))
    got.insert(got.end(), buffer, buffer + std::max(device.read(buffer, sizeof buffer), 0L));
  EXPECT_EQ(got, (std::vector<uint8_t>{0x00, 0x0d, 0xff}));
}

// Each row changes one word of the state; CRTSCTS is shared by two words, and
// the device keeps which of them asked for it.
TEST(TermiosMapping, EveryWordBecomesItsFlagAndReadsBackTheSame) {
  const struct { PortState state; tcflag_t control, input; } rows[] = {
      {{.byteSize = 7}, CS7, 0}, {{.byteSize = 5}, CS5, 0}, {{.parity = Parity::odd}, CS8 | PARENB | PARODD, 0},
      {{.parity = Parity::even}, CS8 | PARENB, 0}, {{.parity = Parity::mark}, CS8 | PARENB | PARODD | CMSPAR, 0},
      {{.parity = Parity::space}, CS8 | PARENB | CMSPAR, 0}, {{.stopBits = StopBits::two}, CS8 | CSTOPB, 0},
      {{.outxCtsFlow = true}, CS8 | CRTSCTS, 0}, {{.rtsControl = LineControl::handshake}, CS8 | CRTSCTS, 0},
      {{.parityCheck = true}, CS8, INPCK}, {{.outX = true}, CS8, IXON}, {{.inX = true}, CS8, IXOFF}};
  for (const auto& row : rows) {
    termios t{};
    PortState back{.rtsControl = row.state.rtsControl};
    ASSERT_TRUE(portStateToTermios(row.state, t));
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS), row.control);
    EXPECT_EQ(t.c_iflag & (INPCK | IXON | IXOFF), row.input);
    portStateFromTermios(t, back);
    EXPECT_EQ(back, row.state) << "control " << row.control << ", input " << row.input;
  }
  termios t{};  // a size or a rate termios has no word for leaves it as it was
  EXPECT_TRUE(!portStateToTermios({.byteSize = 9}, t) && !portStateToTermios({.baudRate = 12345}, t) && !t.c_cflag);
  PortState handshake{.rtsControl = LineControl::handshake};
  portStateFromTermios(t, handshake);  // CRTSCTS cleared behind the port's back
  EXPECT_EQ(handshake.rtsControl, LineControl::enable);
}

// The open is exclusive; what is no tty, or not there, is refused (never the
// simulator instead). A state reads back through the kernel, with the words
// termios lacks (DSR flow ...) kept. A write gives up part way once the pty,
// which nobody reads, is full and its time-out has run out.
TEST_F(TermiosSerial, DeviceIsExclusiveKeepsItsStateAndGivesUpAWriteOnTime) {
  std::unique_ptr<SerialDevice> device, other;
  ASSERT_TRUE(openTermiosDevice(slavePath, device).isOk());
  const Status busy = openTermiosDevice(slavePath, other);
  EXPECT_TRUE(busy.code() == Status::Code::busy && busy.message() == slavePath + ": Device or resource busy" && !other);
  EXPECT_EQ(openTermiosDevice("/dev/null", other).message(), "/dev/null: Inappropriate ioctl for device");
  const Status missing = ConfiguredPortOpener(parsePortsConfig("COM1=/dev/zv-none"), counter, "").open("COM1:", other);
  EXPECT_TRUE(missing.isNotFound() && missing.message() == "/dev/zv-none: No such file or directory" && !other);
  device.reset();
  const Status reopened = openTermiosDevice(slavePath, device);  // closing gave the tty back
  PortState original, changed, back;
  ASSERT_TRUE(device && device->getState(original)) << reopened.message();
  changed = original, changed.baudRate = 115200, changed.stopBits = StopBits::two, changed.outX = true;
  changed.rtsControl = LineControl::handshake, changed.outxDsrFlow = changed.nullStrip = changed.errorChar = true;
  EXPECT_TRUE(device->setState(changed) && device->getState(back) && back == changed);
  EXPECT_TRUE(device->setState(original) && device->getState(back) && back == original);
  ASSERT_TRUE(device->setTimeouts({PortTimeouts::kMaxTimeout, 0, 0, 0, 100}));
  const std::vector<uint8_t> lots(1 << 20, 0);
  const long written = device->write(lots.data(), lots.size());
  EXPECT_TRUE(written > 0 && written < std::ssize(lots)) << written;
}

}  // namespace zapvane::testing
