// The simulated infrared transmitter: the default COM1 backend, so a machine
// without IR hardware runs everything. A burst of n bytes is n x 234.375 us
// of carrier (9 bit times at 38400 baud per byte) starting when it is
// written; the write returns when the last byte has left, as the real port's
// synchronous write does. The light is kept as a list of bursts on the
// counter's timeline, and each finished frame is appended to a mode2 text log
// ("pulse N" / "space N", a blank line between frames) that a user can watch.
//
// Threads: one user at a time, the thread that holds the port.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/performance_counter.h"
#include "platform/serial_device.h"
#include "platform/sim_log.h"
#include "platform/sim_receiver.h"
#include "platform/virtual_counter.h"

namespace zapvane {

inline constexpr int64_t kByteNanoseconds = 234'375;  // one byte at 38400 baud, 9 bit times

struct Burst {
  int64_t startTick;
  int32_t bytes;
};

class SimTransmitter final : public SerialDevice {
 public:
  // An empty logPath keeps no log.
  SimTransmitter(PerformanceCounter& counter, std::string logPath);

  bool getState(PortState& state) override;
  bool setState(const PortState& state) override;
  bool escape(int function) override;
  bool getTimeouts(PortTimeouts& timeouts) override;
  bool setTimeouts(const PortTimeouts& timeouts) override;
  bool setEventMask(uint32_t mask) override;
  bool setQueueSizes(uint32_t inBytes, uint32_t outBytes) override;
  long write(const uint8_t* data, size_t size) override;
  long read(uint8_t* data, size_t size) override;
  // On the real clock, sleeps until just before the remote's next characters
  // reach the driver (the listener's own polls catch them to the tick), at
  // most `milliseconds`. A port with a read cost (virtual time) returns at once.
  void waitForInput(int32_t milliseconds) override;
  // Appends the bursts since the last call to the log as one frame; not ok
  // when the log would not take it.
  Status frameDone() override;
  // The log's trim limit in bytes. REQUIRES: limitBytes >= kMinSimLogLimitBytes.
  void setLogLimit(int64_t limitBytes) { logLimit_ = limitBytes; }

  // What the port opening left behind, for checks.
  const PortState& state() const { return state_; }
  const PortTimeouts& timeouts() const { return timeouts_; }
  bool infraredMode() const { return infraredMode_; }
  uint32_t eventMask() const { return eventMask_; }
  // Bursts written since the last frameDone().
  const std::vector<Burst>& pendingBursts() const { return bursts_; }

  // Sees each frame's bursts at frameDone(), before they are logged.
  std::function<void(const std::vector<Burst>&)> onFrame;

  // A remote control pointed at the port: its signal arrives from
  // startNanoseconds on the counter's timeline (see sim_receiver.h).
  void pointRemote(RemoteSignal signal, int64_t startNanoseconds);
  // On a virtual counter each read takes this long, as a real poll would.
  void setReadCost(VirtualCounter* clock, int64_t nanoseconds);

 private:
  int64_t nowNanoseconds();

  PerformanceCounter& counter_;
  std::string logPath_;
  int64_t logLimit_ = kSimLogLimitBytes;
  PortState state_;
  PortTimeouts timeouts_;
  bool infraredMode_ = false;
  uint32_t eventMask_ = 0;
  std::vector<Burst> bursts_;
  std::optional<SimReceiver> receiver_;
  VirtualCounter* readClock_ = nullptr;
  int64_t readCost_ = 0;
};

// Light as mode2 durations in microseconds, rounded to the nearest: pulse,
// space, pulse, ... for the given bursts; a final space up to endTick when
// endTick lies past the last burst's end.
std::vector<int64_t> mode2Durations(const std::vector<Burst>& bursts, int64_t frequency, int64_t endTick);

// "pulse N" / "space N" lines for mode2Durations.
std::string mode2Text(const std::vector<int64_t>& durations);

// "2026-12-08T00:41:41.123Z": when a frame was logged, in UTC to the
// millisecond, on the comment line before it.
std::string utcTimeStamp(std::chrono::system_clock::time_point when);

}  // namespace zapvane
