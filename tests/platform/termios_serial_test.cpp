// The termios backend against a pseudo-terminal: the test holds the master,
// the port opens the slave by its path as ports.conf names it.
#include "platform/termios_serial.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <iterator>
#include <memory>
#include <vector>

#include "ir/ir_port.h"
#include "platform/ports_config.h"
#include "platform/virtual_counter.h"
#include "support/fakes.h"

namespace zapvane {
namespace {

using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

class TermiosSerial : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(openpty(&master_, &slave_, nullptr, nullptr, nullptr), 0);
    slavePath_ = ttyname(slave_);
  }
  void TearDown() override {
    port_.reset();
    close(master_);
    close(slave_);
  }

  void usePorts(const std::string& portsConf) {
    opener_ = std::make_unique<ConfiguredPortOpener>(parsePortsConfig(portsConf), counter_, "");
    port_ = std::make_unique<IrPort>(*opener_, sink_, settings_);
  }

  // The slave's line as the kernel keeps it (the master reads the slave's termios).
  termios line() const {
    termios t{};
    EXPECT_EQ(tcgetattr(master_, &t), 0);
    return t;
  }

  // What reaches the master: waits up to a second for `expected` bytes, then
  // briefly for any surplus.
  Bytes readMaster(size_t expected) const {
    Bytes got;
    uint8_t buffer[512];
    pollfd ready{master_, POLLIN, 0};
    while (poll(&ready, 1, got.size() >= expected ? 50 : 1000) > 0) {
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n <= 0) break;
      got.insert(got.end(), buffer, buffer + n);
    }
    return got;
  }

  std::unique_ptr<SerialDevice> openSlave() const {
    std::string error;
    auto device = openTermiosDevice(slavePath_, error);
    if (!device) ADD_FAILURE() << error;
    return device;
  }

  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
  VirtualCounter counter_;
  testing::RecordingMessages sink_;
  IrSettings settings_;
  std::unique_ptr<ConfiguredPortOpener> opener_;
  std::unique_ptr<IrPort> port_;
};

TEST_F(TermiosSerial, OpenForSendingSetsTheLineAndBurstsArriveAsZeroBytes) {
  termios before = line();  // start from a cooked line with flow control, so every word must change
  cfsetspeed(&before, B9600);
  before.c_cflag |= CSTOPB | CRTSCTS;
  before.c_iflag |= IXON | IXOFF | INPCK | ICRNL;
  ASSERT_EQ(tcsetattr(slave_, TCSANOW, &before), 0);

  usePorts("COM1=" + slavePath_);
  ASSERT_TRUE(port_->openForSending());
  EXPECT_TRUE(sink_.shown.empty());
  const termios t = line();
  EXPECT_TRUE(cfgetispeed(&t) == B38400 && cfgetospeed(&t) == B38400);
  // A pty forces 8 data bits and no parity; the 7 bits show on a plain termios below.
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD), CLOCAL | CREAD);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | INPCK | ICRNL | INLCR | IGNCR | ISTRIP | PARMRK), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(t.c_cc[VMIN] | t.c_cc[VTIME], 0);  // reads return at once

  for (const int32_t n : {38, 400, 0}) {  // 400 goes out as 150 + 150 + 100
    port_->writeBurst(n);
    EXPECT_EQ(readMaster(static_cast<size_t>(n)), Bytes(static_cast<size_t>(n), 0)) << n << " bytes";
  }
}

TEST(TermiosMapping, EveryWordBecomesItsFlagAndReadsBackTheSame) {
  constexpr tcflag_t kControl = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
  constexpr tcflag_t kInput = INPCK | IXON | IXOFF;
  const struct {
    void (*change)(PortState&);
    tcflag_t control;
    tcflag_t input;
  } rows[] = {
      {[](PortState& s) { s.byteSize = 7; }, CS7, 0},  // the sending line: 7 bits, no parity, one stop bit
      {[](PortState& s) { s.byteSize = 5; }, CS5, 0}, {[](PortState& s) { s.byteSize = 6; }, CS6, 0},
      {[](PortState& s) { s.parity = Parity::odd; }, CS8 | PARENB | PARODD, 0},
      {[](PortState& s) { s.parity = Parity::even; }, CS8 | PARENB, 0},
      {[](PortState& s) { s.parity = Parity::mark; }, CS8 | PARENB | PARODD | CMSPAR, 0},
      {[](PortState& s) { s.parity = Parity::space; }, CS8 | PARENB | CMSPAR, 0},
      {[](PortState& s) { s.stopBits = StopBits::two; }, CS8 | CSTOPB, 0},
      {[](PortState& s) { s.outxCtsFlow = true; }, CS8 | CRTSCTS, 0},
      {[](PortState& s) { s.rtsControl = LineControl::handshake; }, CS8 | CRTSCTS, 0},
      {[](PortState& s) { s.parityCheck = true; }, CS8, INPCK},
      {[](PortState& s) { s.outX = true; }, CS8, IXON}, {[](PortState& s) { s.inX = true; }, CS8, IXOFF},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    PortState state;
    state.baudRate = 38400;
    rows[i].change(state);
    termios t{};
    ASSERT_TRUE(portStateToTermios(state, t)) << "row " << i;
    EXPECT_EQ(t.c_cflag & kControl, rows[i].control) << "row " << i;
    EXPECT_EQ(t.c_iflag & kInput, rows[i].input) << "row " << i;
    PortState back;
    back.rtsControl = state.rtsControl;  // kept by the device: it tells who asked for CRTSCTS
    portStateFromTermios(t, back);
    EXPECT_EQ(back, state) << "row " << i;
  }

  termios t{};
  PortState bad;
  bad.byteSize = 9;
  EXPECT_FALSE(portStateToTermios(bad, t));
  bad.byteSize = 8;
  bad.baudRate = 12345;  // not a standard rate
  EXPECT_FALSE(portStateToTermios(bad, t));
  EXPECT_EQ(t.c_cflag, 0u);  // left as it was

  PortState handshake;
  handshake.rtsControl = LineControl::handshake;
  portStateFromTermios(t, handshake);  // CRTSCTS cleared behind the port's back
  EXPECT_EQ(handshake.rtsControl, LineControl::enable);
}

TEST_F(TermiosSerial, WriteGivesUpWhenItsTimeOutRunsOut) {
  auto device = openSlave();
  ASSERT_NE(device, nullptr);
  ASSERT_TRUE(device->setTimeouts({PortTimeouts::kMaxTimeout, 0, 0, 0, 100}));
  const Bytes lots(1 << 20, 0);  // far more than a pty holds while nobody reads the master
  const auto start = std::chrono::steady_clock::now();
  const long written = device->write(lots.data(), lots.size());
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(written > 0 && written < static_cast<long>(lots.size())) << written;
  EXPECT_TRUE(elapsed >= 100ms && elapsed < 1000ms) << (elapsed / 1ms) << " ms";
}

TEST_F(TermiosSerial, OpenIsExclusiveAndRefusesWhatIsNoTty) {
  auto first = openSlave();
  ASSERT_NE(first, nullptr);
  std::string error;
  EXPECT_EQ(openTermiosDevice(slavePath_, error), nullptr);
  EXPECT_EQ(error, slavePath_ + ": Device or resource busy");
  first.reset();
  EXPECT_NE(openSlave(), nullptr);  // closing gave the tty back

  EXPECT_EQ(openTermiosDevice("/dev/null", error), nullptr);
  EXPECT_EQ(error, "/dev/null: Inappropriate ioctl for device");
  // A configured path that is not there fails the open (the port's message is
  // its own), never falls back to the simulator.
  usePorts("COM1=/dev/zapvane-no-such-tty");
  EXPECT_EQ(opener_->open("COM1:", error), nullptr);
  EXPECT_EQ(error, "/dev/zapvane-no-such-tty: No such file or directory");
}

TEST_F(TermiosSerial, GetStateReportsWhatSetStateSet) {
  auto device = openSlave();
  ASSERT_NE(device, nullptr);
  PortState original;
  ASSERT_TRUE(device->getState(original));

  // Read back through the kernel; the words termios lacks (DSR flow ...) are kept.
  PortState fast = original;
  fast.baudRate = 115200;
  fast.byteSize = 8;
  fast.stopBits = StopBits::two;
  fast.binary = fast.parityCheck = fast.outX = true;
  fast.rtsControl = LineControl::handshake;
  fast.outxDsrFlow = fast.nullStrip = fast.errorChar = fast.abortOnError = true;
  ASSERT_TRUE(device->setState(fast));
  PortState back;
  ASSERT_TRUE(device->getState(back));
  EXPECT_EQ(back, fast);

  // A pty keeps no parity: setState says so, the kept words change all the same.
  PortState even = fast;
  even.parity = Parity::even;
  even.txContinueOnXoff = !fast.txContinueOnXoff;
  EXPECT_FALSE(device->setState(even));
  ASSERT_TRUE(device->getState(back));
  even.parity = Parity::none;
  EXPECT_EQ(back, even);

  ASSERT_TRUE(device->setState(original));
  ASSERT_TRUE(device->getState(back));
  EXPECT_EQ(back, original);
}

TEST_F(TermiosSerial, ReadReturnsAtOnceWithWhatHasArrived) {
  usePorts("COM1=" + slavePath_);
  ASSERT_TRUE(port_->openForSending());
  SerialDevice& device = *port_->device();
  EXPECT_TRUE(device.escape(kEscapeInfraredMode));
  EXPECT_FALSE(device.escape(3));

  uint8_t buffer[100];
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(device.read(buffer, sizeof buffer), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);

  const Bytes sent{0x00, 0x0d, 0xff};
  ASSERT_EQ(::write(master_, sent.data(), sent.size()), 3);
  Bytes got;
  for (int tries = 0; tries < 1000 && got.size() < sent.size(); ++tries) {
    const long n = device.read(buffer, sizeof buffer);
    ASSERT_GE(n, 0);
    got.insert(got.end(), buffer, buffer + n);
    if (n == 0) usleep(1000);
  }
  EXPECT_EQ(got, sent);
}

}  // namespace
}  // namespace zapvane
