#include "platform/termios_serial.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <utility>

namespace zapvane {

namespace {

struct BaudRate {
  uint32_t rate;
  speed_t speed;
};

constexpr BaudRate kBaudRates[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

// What binary mode turns off: every translation, echo and signal character,
// so a zero byte goes out and comes in as a zero byte.
constexpr tcflag_t kInputProcessing = IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL;
constexpr tcflag_t kOutputProcessing = OPOST;
constexpr tcflag_t kLocalProcessing = ICANON | ECHO | ECHONL | ISIG | IEXTEN;

class TermiosDevice final : public SerialDevice {
 public:
  explicit TermiosDevice(int fd) : fd_(fd) {}
  ~TermiosDevice() override {
    ioctl(fd_, TIOCNXCL);  // the tty outlives this descriptor while others hold it, and so would the flag
    close(fd_);
  }
  TermiosDevice(const TermiosDevice&) = delete;
  TermiosDevice& operator=(const TermiosDevice&) = delete;

  bool getState(PortState& state) override {
    termios t{};
    if (tcgetattr(fd_, &t) != 0) return false;
    state = kept_;
    portStateFromTermios(t, state);
    int lines = 0;
    if (ioctl(fd_, TIOCMGET, &lines) == 0) {  // a pty has no modem lines: the kept values stand
      state.dtrControl = fromLine(state.dtrControl, lines & TIOCM_DTR);
      if ((t.c_cflag & CRTSCTS) == 0) state.rtsControl = fromLine(state.rtsControl, lines & TIOCM_RTS);
    }
    return true;
  }

  // Succeeds only when the device took every value: a driver may keep some
  // flags as they were (a pty forces 8 data bits and no parity). The line as
  // read back decides, not tcsetattr's result, which says only whether some
  // flag changed (glibc's EINVAL when none did); the kept words change anyway.
  bool setState(const PortState& state) override {
    termios t{};
    if (tcgetattr(fd_, &t) != 0 || !portStateToTermios(state, t)) return false;
    tcsetattr(fd_, TCSANOW, &t);
    kept_ = state;
    setLine(TIOCM_DTR, state.dtrControl);
    if (state.rtsControl != LineControl::handshake) setLine(TIOCM_RTS, state.rtsControl);
    PortState expected = state;
    if (expected.stopBits == StopBits::onePointFive) expected.stopBits = StopBits::two;
    PortState actual;
    return getState(actual) && actual == expected;
  }

  bool escape(int function) override { return function == kEscapeInfraredMode; }

  bool getTimeouts(PortTimeouts& timeouts) override {
    timeouts = timeouts_;
    return true;
  }

  bool setTimeouts(const PortTimeouts& timeouts) override {
    termios t{};
    if (tcgetattr(fd_, &t) != 0) return false;
    t.c_cc[VMIN] = 0;  // reads return at once whatever the values; see the header
    t.c_cc[VTIME] = 0;
    if (tcsetattr(fd_, TCSANOW, &t) != 0) return false;
    timeouts_ = timeouts;
    return true;
  }

  // termios has neither: the driver's queues are its own.
  bool setEventMask(uint32_t) override { return true; }
  bool setQueueSizes(uint32_t, uint32_t) override { return true; }

  long write(const uint8_t* data, size_t size) override {
    if (size == 0) return 0;
    using Clock = std::chrono::steady_clock;
    const uint64_t limitMs = std::min<uint64_t>(
        uint64_t{timeouts_.writeTotalMultiplier} * size + timeouts_.writeTotalConstant, INT_MAX);
    const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    size_t written = 0;
    while (written < size) {
      const ssize_t n = ::write(fd_, data + written, size - written);
      if (n > 0) {
        written += static_cast<size_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return -1;
      int waitMs = -1;
      if (limitMs != 0) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return static_cast<long>(written);  // time-out: the line is stalled, do not drain
        waitMs = static_cast<int>(left);
      }
      pollfd ready{fd_, POLLOUT, 0};
      if (poll(&ready, 1, waitMs) < 0 && errno != EINTR) return -1;
    }
    while (tcdrain(fd_) != 0 && errno == EINTR) {
    }
    return static_cast<long>(written);
  }

  void waitForInput(int32_t milliseconds) override {
    pollfd ready{fd_, POLLIN, 0};
    poll(&ready, 1, milliseconds);  // interrupted or failed: the caller reads and asks again
  }

  long read(uint8_t* data, size_t size) override {
    if (size == 0) return 0;
    for (;;) {
      const ssize_t n = ::read(fd_, data, size);
      if (n >= 0) return static_cast<long>(n);
      if (errno == EINTR) continue;
      return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
    }
  }

 private:
  static LineControl fromLine(LineControl kept, int raised) {
    if (kept != LineControl::disable && kept != LineControl::enable) return kept;
    return raised != 0 ? LineControl::enable : LineControl::disable;
  }

  void setLine(int line, LineControl control) {
    if (control == LineControl::disable) ioctl(fd_, TIOCMBIC, &line);
    if (control == LineControl::enable) ioctl(fd_, TIOCMBIS, &line);
  }

  const int fd_;
  PortState kept_;  // the values termios has no word for, as last set
  PortTimeouts timeouts_;
};

}  // namespace

bool portStateToTermios(const PortState& state, termios& t) {
  const auto baud = std::find_if(std::begin(kBaudRates), std::end(kBaudRates),
                                 [&](const BaudRate& b) { return b.rate == state.baudRate; });
  if (baud == std::end(kBaudRates)) return false;
  constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
  if (state.byteSize < 5 || state.byteSize > 8) return false;

  tcflag_t parity = 0;
  switch (state.parity) {
    case Parity::none: break;
    case Parity::odd: parity = PARENB | PARODD; break;
    case Parity::even: parity = PARENB; break;
#ifdef CMSPAR
    case Parity::mark: parity = PARENB | CMSPAR | PARODD; break;
    case Parity::space: parity = PARENB | CMSPAR; break;
#endif
    default: return false;
  }
  termios next = t;
  if (cfsetispeed(&next, baud->speed) != 0 || cfsetospeed(&next, baud->speed) != 0) return false;
  next.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
#ifdef CMSPAR
  next.c_cflag &= ~static_cast<tcflag_t>(CMSPAR);
#endif
  next.c_cflag |= kSizes[state.byteSize - 5] | parity;
  if (state.stopBits != StopBits::one) next.c_cflag |= CSTOPB;
  if (state.outxCtsFlow || state.rtsControl == LineControl::handshake) next.c_cflag |= CRTSCTS;

  next.c_iflag &= ~static_cast<tcflag_t>(INPCK | IXON | IXOFF);
  if (state.parityCheck) next.c_iflag |= INPCK;
  if (state.outX) next.c_iflag |= IXON;
  if (state.inX) next.c_iflag |= IXOFF;

  if (state.binary) {
    next.c_iflag &= ~kInputProcessing;
    next.c_oflag &= ~kOutputProcessing;
    next.c_lflag &= ~kLocalProcessing;
  } else {
    // A text line: line-end translation both ways, still no canonical
    // reading, so reads keep returning at once.
    next.c_iflag |= ICRNL;
    next.c_oflag |= OPOST | ONLCR;
  }
  t = next;
  return true;
}

void portStateFromTermios(const termios& t, PortState& state) {
  const speed_t speed = cfgetospeed(&t);
  const auto baud = std::find_if(std::begin(kBaudRates), std::end(kBaudRates),
                                 [&](const BaudRate& b) { return b.speed == speed; });
  state.baudRate = baud == std::end(kBaudRates) ? 0 : baud->rate;

  switch (t.c_cflag & CSIZE) {
    case CS5: state.byteSize = 5; break;
    case CS6: state.byteSize = 6; break;
    case CS7: state.byteSize = 7; break;
    default: state.byteSize = 8; break;
  }

  const bool odd = (t.c_cflag & PARODD) != 0;
  if ((t.c_cflag & PARENB) == 0) {
    state.parity = Parity::none;
#ifdef CMSPAR
  } else if ((t.c_cflag & CMSPAR) != 0) {
    state.parity = odd ? Parity::mark : Parity::space;
#endif
  } else {
    state.parity = odd ? Parity::odd : Parity::even;
  }
  state.stopBits = (t.c_cflag & CSTOPB) != 0 ? StopBits::two : StopBits::one;

  state.binary = (t.c_iflag & kInputProcessing) == 0 && (t.c_oflag & kOutputProcessing) == 0 &&
                 (t.c_lflag & kLocalProcessing) == 0;
  state.parityCheck = (t.c_iflag & INPCK) != 0;
  state.outX = (t.c_iflag & IXON) != 0;
  state.inX = (t.c_iflag & IXOFF) != 0;

  if ((t.c_cflag & CRTSCTS) == 0) {
    state.outxCtsFlow = false;
    if (state.rtsControl == LineControl::handshake) state.rtsControl = LineControl::enable;
  } else if (!state.outxCtsFlow && state.rtsControl != LineControl::handshake) {
    state.outxCtsFlow = true;  // set by someone else: CTS flow on output is what it does
  }
}

Status openTermiosDevice(const std::string& path, std::unique_ptr<SerialDevice>& device) {
  device.reset();
  // Non-blocking, so neither the open nor a read waits for carrier detect.
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Status::fromErrno(errno, path);
  const auto fail = [&](int code) {
    close(fd);
    return Status::fromErrno(code, path);
  };
  // The lock first: a second opener must leave the first one's exclusive
  // flag alone. TIOCEXCL then keeps out programs that take no lock, except
  // root, and refuses what is no tty.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(errno == EWOULDBLOCK ? EBUSY : errno);
  if (ioctl(fd, TIOCEXCL) != 0) return fail(errno);
  auto opened = std::make_unique<TermiosDevice>(fd);  // from here its destructor lets go
  termios t{};
  if (tcgetattr(fd, &t) != 0) return Status::fromErrno(errno, path);
  t.c_cflag |= CLOCAL | CREAD;
  if (tcsetattr(fd, TCSANOW, &t) != 0) return Status::fromErrno(errno, path);
  device = std::move(opened);
  return Status::ok();
}

}  // namespace zapvane
