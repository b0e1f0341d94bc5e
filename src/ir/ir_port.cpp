#include "ir/ir_port.h"

#include <algorithm>

#include "platform/lirc_device.h"

namespace zapvane {

const std::array<uint8_t, kBurstBufferBytes> IrPort::burstBuffer_{};

std::string portDeviceName(int32_t port) {
  // Unsigned arithmetic: port + 1 may not overflow a signed word.
  const auto number = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(port) + 1u));
  return "COM" + std::to_string(number) + ":";
}

bool IrPort::openDevice() {
  const std::string name = portDeviceName(settings_.port.load());
  portBusy = true;
  recording_ = Status::ok();
  const Status opened = opener_.open(name, handle_);
  deviceFailure_ = Status::ok();
  if (!opened.isOk() || !handle_) {
    handle_.reset();
    showUnableToOpen(opened.message());
    return false;
  }
  return true;
}

void IrPort::showUnableToOpen(const std::string& reason) {
  const std::string name = portDeviceName(settings_.port.load());
  messages_.showWithReason({"Unable to open " + name, "Communication error", MessageIcon::none}, reason);
}

bool IrPort::refuseOpening(const Status& reason) {
  handle_.reset();
  showUnableToOpen(reason.message());
  return false;
}

void IrPort::reportDeviceFailure(const Status& failure) {
  if (deviceFailure_.isOk()) deviceFailure_ = failure;
  showUnableToOpen(failure.message());
}

void configureInfraredLine(SerialDevice& port, const InfraredLine& line) {
  PortState state;
  port.getState(state);
  state.baudRate = line.baudRate;
  state.byteSize = 7;
  state.parity = Parity::none;
  state.stopBits = StopBits::one;
  state.binary = true;
  state.txContinueOnXoff = line.txContinueOnXoff;
  state.parityCheck = false;
  state.outxCtsFlow = false;
  state.outxDsrFlow = false;
  state.dtrControl = LineControl::disable;
  state.dsrSensitivity = false;
  state.outX = false;
  state.inX = false;
  state.errorChar = false;
  state.nullStrip = false;
  state.rtsControl = LineControl::disable;
  state.abortOnError = false;
  port.setState(state);

  port.escape(kEscapeInfraredMode);

  PortTimeouts timeouts;
  port.getTimeouts(timeouts);
  timeouts.readIntervalTimeout = PortTimeouts::kMaxTimeout;
  timeouts.readTotalMultiplier = 0;
  timeouts.readTotalConstant = 0;
  timeouts.writeTotalMultiplier = kWriteMillisecondsPerByte;
  timeouts.writeTotalConstant = kWriteConstantMilliseconds;
  port.setTimeouts(timeouts);

  port.setEventMask(line.eventMask);
}

bool IrPort::openForSending() {
  if (!openDevice()) return false;
  if (LircDevice* kernel = handle_->kernelIr()) {
    const Status ready = kernel->prepareSending();
    return ready.isOk() || refuseOpening(ready);
  }
  configureInfraredLine(*handle_, kSendingLine);
  return true;
}

void IrPort::writeBurst(int32_t bytes) {
  if (!handle_) return;
  while (bytes > 0) {
    const int32_t chunk = std::min(bytes, kBurstBufferBytes);
    handle_->write(burstBuffer_.data(), static_cast<size_t>(chunk));
    bytes -= chunk;
  }
}

void IrPort::frameDone() {
  if (!handle_) return;
  Status done = handle_->frameDone();
  if (recording_.isOk()) recording_ = std::move(done);
}

void IrPort::closePort() {
  captureStop = true;
  if (handle_) handle_->frameDone();
  handle_.reset();
  portBusy = false;
}

}  // namespace zapvane
