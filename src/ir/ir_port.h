// IrPort: the infrared port opened for sending. Every mark is a run of zero
// bytes written at 38400 baud (7 data bits, no parity, one stop bit), so each
// byte is 9 bit times of 234.375 us with the start bit and the data bits
// coming out as light pulses: a carrier near 38 kHz.
//
// Threads: one activity at a time holds the port, a transmit worker or a
// learn capture; portBusy tells the window to leave the skin alone meanwhile.
// closePort also runs on the window thread at shutdown.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/messages.h"
#include "platform/serial_device.h"
#include "catalogue/ir_settings.h"

namespace zapvane {

inline constexpr int32_t kBurstBufferBytes = 150;
inline constexpr uint32_t kSendBaudRate = 38400;
inline constexpr uint32_t kWriteMillisecondsPerByte = 50;
inline constexpr uint32_t kWriteConstantMilliseconds = 1000;

// "COM%d:" of port + 1, the sum taken as a signed 16-bit number.
std::string portDeviceName(int32_t port);

// What differs between the port opened for sending and for learning.
struct InfraredLine {
  uint32_t baudRate;
  bool txContinueOnXoff;
  uint32_t eventMask;
};
inline constexpr InfraredLine kSendingLine{kSendBaudRate, true, kEventTransmitEmpty};

// 7 data bits, no parity, one stop bit, binary, every flow control and line
// option off, infrared mode, reads that return at once, writes bounded by
// 50 ms a byte + 1 s. The results are not checked: a port that takes fewer
// settings goes on with what it does.
void configureInfraredLine(SerialDevice& port, const InfraredLine& line);

class IrPort {
 public:
  IrPort(PortOpener& opener, MessageSink& messages, const IrSettings& settings)
      : opener_(opener), messages_(messages), settings_(settings) {}

  // Opens and configures the port named by the settings' port (a kernel IR
  // device is set to send pulses instead). Sets portBusy whether or not it
  // succeeds; on failure shows "Unable to open COMn:", with the opener's
  // reason where a line of text can hold it.
  bool openForSending();
  // Writes n zero bytes, one synchronous write per buffer's worth: a learned
  // mark longer than the burst buffer is split, never read past its end.
  void writeBurst(int32_t bytes);
  // Sets captureStop, closes the port if open, clears portBusy.
  void closePort();
  // Tells the device a frame and its gap are over (outside time-critical work).
  void frameDone();
  // The first frame since the port opened that the device could not record
  // (the simulator's log on a full disk); ok when every one was. Read once
  // the thread that sends is joined.
  const Status& recordingFailure() const { return recording_; }

  // For the learn capture, which opens the same port with its own settings.
  bool openDevice();
  // A port that opened but cannot do what it was opened for (a kernel IR
  // device that cannot send or receive): closes it and shows "Unable to
  // open COMn:" with `reason`. Always false.
  bool refuseOpening(const Status& reason);
  // A kernel IR device that failed while in use (a frame refused, the
  // device unplugged): shows "Unable to open COMn:" with the device's
  // reason. The first such failure since the port opened, read once the
  // thread that used it is joined; ok when the device never failed.
  void reportDeviceFailure(const Status& failure);
  const Status& deviceFailure() const { return deviceFailure_; }
  SerialDevice* device() { return handle_.get(); }

  std::atomic<bool> portBusy{false};
  std::atomic<bool> captureStop{false};

 private:
  PortOpener& opener_;
  MessageSink& messages_;
  const IrSettings& settings_;
  std::unique_ptr<SerialDevice> handle_;
  void showUnableToOpen(const std::string& reason);

  Status recording_ = Status::ok();
  Status deviceFailure_ = Status::ok();
  static const std::array<uint8_t, kBurstBufferBytes> burstBuffer_;
};

}  // namespace zapvane
