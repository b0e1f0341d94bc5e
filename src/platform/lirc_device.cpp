#include "platform/lirc_device.h"

#include <linux/lirc.h>

#include <array>
#include <cerrno>

namespace zapvane {

namespace {

constexpr uint32_t kReceiverTimeoutMicroseconds = 100'000;

struct FeatureName {
  uint32_t bit;
  const char* name;
};
constexpr std::array<FeatureName, 7> kFeatureNames{{
    {LIRC_CAN_SEND_PULSE, "send-pulse"},
    {LIRC_CAN_SET_SEND_CARRIER, "set-carrier"},
    {LIRC_CAN_SET_SEND_DUTY_CYCLE, "set-duty-cycle"},
    {LIRC_CAN_SET_TRANSMITTER_MASK, "transmitter-mask"},
    {LIRC_CAN_REC_MODE2, "receive-mode2"},
    {LIRC_CAN_SET_REC_TIMEOUT, "set-receive-timeout"},
    {LIRC_CAN_MEASURE_CARRIER, "measure-carrier"},
}};

}  // namespace

std::string lircFeatureNames(uint32_t features) {
  std::string names;
  for (const FeatureName& feature : kFeatureNames) {
    if ((features & feature.bit) == 0) continue;
    if (!names.empty()) names += ' ';
    names += feature.name;
  }
  return names.empty() ? "none" : names;
}

Status LircDevice::open(LircSyscalls& calls, const std::string& path, const LircOptions& options,
                        std::unique_ptr<LircDevice>& device) {
  device.reset();
  const int fd = calls.open(path);
  if (fd < 0) {
    const Status failed = Status::fromErrno(-fd, path);
    return failed.isNotFound() ? failed : Status::ioError(failed.message());
  }
  std::unique_ptr<LircDevice> opened(new LircDevice(calls, fd, path, options));
  const int got = calls.ioctl(fd, LIRC_GET_FEATURES, opened->features_);
  if (got < 0) return opened->failure(-got, "not a lirc device");
  device = std::move(opened);
  return Status::ok();
}

LircDevice::~LircDevice() { calls_.close(fd_); }

// Always a failure of the device, never of the user's words: EINVAL from
// the kernel means data it would not take.
Status LircDevice::failure(int error, const std::string& what) const {
  return Status::ioError(Status::fromErrno(error, path_ + ": " + what).message());
}

Status LircDevice::set(unsigned long request, uint32_t value, const std::string& what) {
  const int done = calls_.ioctl(fd_, request, value);
  return done < 0 ? failure(-done, what) : Status::ok();
}

Status LircDevice::prepareSending() {
  if ((features_ & LIRC_CAN_SEND_PULSE) == 0) return Status::ioError(path_ + ": the device cannot send");
  Status done = set(LIRC_SET_SEND_MODE, LIRC_MODE_PULSE, "send mode");
  if (done.isOk() && (features_ & LIRC_CAN_SET_SEND_CARRIER) != 0) {
    done = set(LIRC_SET_SEND_CARRIER, options_.carrierHz, "carrier " + std::to_string(options_.carrierHz) + " Hz");
  }
  if (done.isOk() && options_.dutyCyclePercent && (features_ & LIRC_CAN_SET_SEND_DUTY_CYCLE) != 0) {
    done = set(LIRC_SET_SEND_DUTY_CYCLE, *options_.dutyCyclePercent, "duty cycle");
  }
  return done;
}

Status LircDevice::prepareReceiving() {
  if ((features_ & LIRC_CAN_REC_MODE2) == 0) return Status::ioError(path_ + ": the device cannot receive");
  const Status done = set(LIRC_SET_REC_MODE, LIRC_MODE_MODE2, "receive mode");
  // A receiver whose time-out cannot be set reports its own; the capture
  // ends at a long space either way.
  if (done.isOk() && (features_ & LIRC_CAN_SET_REC_TIMEOUT) != 0) {
    set(LIRC_SET_REC_TIMEOUT, kReceiverTimeoutMicroseconds, "receive time-out");
  }
  return done;
}

Status LircDevice::sendPulses(const std::vector<uint32_t>& durations) {
  const size_t bytes = durations.size() * sizeof(uint32_t);
  const long written = calls_.write(fd_, durations.data(), bytes);
  if (written < 0) return failure(static_cast<int>(-written), "write");
  if (static_cast<size_t>(written) != bytes) return failure(EIO, "write");
  return Status::ok();
}

Status LircDevice::readSamples(std::vector<uint32_t>& samples, int32_t milliseconds) {
  const int ready = calls_.poll(fd_, milliseconds);
  if (ready < 0) return failure(-ready, "poll");
  if (ready == 0) return Status::ok();
  std::array<uint32_t, 256> buffer{};
  const long got = calls_.read(fd_, buffer.data(), sizeof buffer);
  if (got < 0) return got == -EAGAIN ? Status::ok() : failure(static_cast<int>(-got), "read");
  samples.insert(samples.end(), buffer.begin(), buffer.begin() + got / static_cast<long>(sizeof(uint32_t)));
  return Status::ok();
}

}  // namespace zapvane
