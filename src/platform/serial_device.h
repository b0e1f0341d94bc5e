// A serial port as the infrared code drives it: state, infrared mode,
// time-outs, event mask, queue sizes, synchronous writes and non-blocking
// reads. The operations mirror the serial driver the transmitter was designed
// around, so the port opening can apply its settings in their exact order
// whatever stands behind the port: a termios device, or the simulated
// transmitter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/status.h"

namespace zapvane {

class LircDevice;

enum class Parity : uint8_t { none, odd, even, mark, space };
enum class StopBits : uint8_t { one, onePointFive, two };
enum class LineControl : uint8_t { disable, enable, handshake, toggle };

// The port's line state. Flags that the port opening does not name keep
// whatever value the port reports.
struct PortState {
  uint32_t baudRate = 9600;
  uint8_t byteSize = 8;
  Parity parity = Parity::none;
  StopBits stopBits = StopBits::one;
  bool binary = true;
  bool txContinueOnXoff = false;
  bool parityCheck = false;
  bool outxCtsFlow = false;
  bool outxDsrFlow = false;
  LineControl dtrControl = LineControl::enable;
  bool dsrSensitivity = false;
  bool outX = false;  // XON/XOFF on output
  bool inX = false;   // XON/XOFF on input
  bool errorChar = false;
  bool nullStrip = false;
  LineControl rtsControl = LineControl::enable;
  bool abortOnError = false;

  bool operator==(const PortState&) const = default;
};

// Milliseconds. readIntervalTimeout kMaxTimeout with both read totals 0 makes
// a read return at once with whatever has arrived.
struct PortTimeouts {
  static constexpr uint32_t kMaxTimeout = 0xFFFFFFFFu;
  uint32_t readIntervalTimeout = 0;
  uint32_t readTotalMultiplier = 0;
  uint32_t readTotalConstant = 0;
  uint32_t writeTotalMultiplier = 0;
  uint32_t writeTotalConstant = 0;

  bool operator==(const PortTimeouts&) const = default;
};

inline constexpr int kEscapeInfraredMode = 10;
inline constexpr uint32_t kEventCharReceived = 0x0001;
inline constexpr uint32_t kEventTransmitEmpty = 0x0004;

class SerialDevice {
 public:
  virtual ~SerialDevice() = default;

  virtual bool getState(PortState& state) = 0;
  virtual bool setState(const PortState& state) = 0;
  // Driver escape functions; kEscapeInfraredMode switches to infrared.
  virtual bool escape(int function) = 0;
  virtual bool getTimeouts(PortTimeouts& timeouts) = 0;
  virtual bool setTimeouts(const PortTimeouts& timeouts) = 0;
  virtual bool setEventMask(uint32_t mask) = 0;
  virtual bool setQueueSizes(uint32_t inBytes, uint32_t outBytes) = 0;
  // Returns when the last byte has left the port, or the write time-out ran
  // out. The result is the count written, or -1.
  virtual long write(const uint8_t* data, size_t size) = 0;
  // Returns at once with what has arrived, at most `size` bytes, or -1.
  virtual long read(uint8_t* data, size_t size) = 0;
  // Returns once something has arrived to read, or about `milliseconds`
  // later, without keeping a processor busy: for a listener that has heard
  // nothing yet. A device that cannot wait returns at once.
  virtual void waitForInput(int32_t /*milliseconds*/) {}
  // Called between repetitions, outside time-critical work: a device may do
  // slow bookkeeping here (the simulator writes its log). Not ok when that
  // bookkeeping failed; the light itself has gone out either way.
  virtual Status frameDone() { return Status::ok(); }
  // A kernel IR device, which takes whole frames of light instead of bytes
  // of carrier (lirc_device.h); nullptr for a byte-driven port.
  virtual LircDevice* kernelIr() { return nullptr; }
};

// Opens a port by its driver name ("COM1:".."COM4:") into `device`; not ok,
// with `device` empty, when no such device exists or it cannot be opened
// (the message names the device path and the system's reason).
class PortOpener {
 public:
  virtual ~PortOpener() = default;
  virtual Status open(const std::string& name, std::unique_ptr<SerialDevice>& device) = 0;
};

}  // namespace zapvane
