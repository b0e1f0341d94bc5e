// A kernel IR device (/dev/lircN) as a port. Sending takes a whole frame of
// light as pulse and space durations and hands it to the kernel in one
// write, which returns when the hardware has sent it; receiving reads mode2
// samples (type in the top byte, microseconds below). The serial calls the
// port opening makes for a byte-driven transmitter have no meaning here and
// are refused, so nothing configures a lirc device as a serial line.
//
// Which of carrier and duty cycle a device takes it says in its features;
// the configured values are applied only where it can.
//
// Threads: one user at a time, the thread that holds the port.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/lirc_syscalls.h"
#include "platform/serial_device.h"

namespace zapvane {

inline constexpr uint32_t kDefaultCarrierHz = 38000;
// One write holds at most this many durations and this much time: the
// kernel refuses more.
inline constexpr size_t kMaxLircValues = 1024;
inline constexpr uint32_t kMaxLircSendMicroseconds = 500'000;
// The longest silence a receive waits for in one poll before it looks
// whether it is asked to stop.
inline constexpr int32_t kSamplePollMilliseconds = 20;

// The mode2 sample types (the top byte of a sample) and its value.
enum class SampleKind : uint8_t { space = 0, pulse = 1, frequency = 2, timeout = 3, overflow = 4 };
inline SampleKind sampleKind(uint32_t sample) { return static_cast<SampleKind>(sample >> 24); }
inline uint32_t sampleValue(uint32_t sample) { return sample & 0x00FFFFFFu; }

struct LircOptions {
  uint32_t carrierHz = kDefaultCarrierHz;
  std::optional<uint32_t> dutyCyclePercent;
};

// "send-pulse receive-mode2 ..." for the feature bits the program cares for.
std::string lircFeatureNames(uint32_t features);

class LircDevice final : public SerialDevice {
 public:
  // Opens `path` and reads its features; the message of a failure starts
  // with the path and names the system's reason. REQUIRES: `calls`
  // outlives the device.
  static Status open(LircSyscalls& calls, const std::string& path, const LircOptions& options,
                     std::unique_ptr<LircDevice>& device);
  ~LircDevice() override;

  bool getState(PortState&) override { return false; }
  bool setState(const PortState&) override { return false; }
  bool escape(int) override { return false; }
  bool getTimeouts(PortTimeouts&) override { return false; }
  bool setTimeouts(const PortTimeouts&) override { return false; }
  bool setEventMask(uint32_t) override { return false; }
  bool setQueueSizes(uint32_t, uint32_t) override { return false; }
  long write(const uint8_t*, size_t) override { return -1; }
  long read(uint8_t*, size_t) override { return -1; }
  LircDevice* kernelIr() override { return this; }

  const std::string& path() const { return path_; }
  uint32_t features() const { return features_; }
  // Pulse mode, then the carrier and duty cycle where the device takes them.
  // Not ok when the device cannot send pulses.
  Status prepareSending();
  // Mode2 samples, with the receiver's time-out at 100 ms where it can be
  // set. Not ok when the device cannot receive them.
  Status prepareReceiving();
  // One write of pulse, space, ..., pulse in microseconds.
  // REQUIRES: an odd count, none 0, at most kMaxLircValues.
  Status sendPulses(const std::vector<uint32_t>& durations);
  // Appends what arrives within `milliseconds` (nothing when it stays
  // quiet); not ok when the device fails or has gone.
  Status readSamples(std::vector<uint32_t>& samples, int32_t milliseconds);

 private:
  LircDevice(LircSyscalls& calls, int fd, std::string path, LircOptions options)
      : calls_(calls), fd_(fd), path_(std::move(path)), options_(options) {}
  Status failure(int error, const std::string& what) const;
  Status set(unsigned long request, uint32_t value, const std::string& what);

  LircSyscalls& calls_;
  int fd_;
  std::string path_;
  LircOptions options_;
  uint32_t features_ = 0;
};

}  // namespace zapvane
