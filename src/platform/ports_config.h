// ports.conf in the data directory: which backend stands behind each port
// name, and the transceiver's 1-based port number (the handheld kept that in
// its serial infrared driver's settings).
//
//   # comment
//   Port=1              # a '#' after a blank ends the value
//   COM1=sim
//   COM2=/dev/ttyUSB0
//   SimRemote=/home/me/tv-power.pulses   (learning without hardware)
//   SimRemoteGap=50
//   SimLogLimit=1048576 (the simulator's log, in bytes)
//
// COM1 is the simulated transmitter unless the file says otherwise; COM2 to
// COM4 have no device unless named, so opening them fails as it would on a
// machine without such a port.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/performance_counter.h"
#include "platform/serial_device.h"

namespace zapvane {

inline constexpr int kConfigurablePorts = 4;
inline constexpr const char* kSimBackend = "sim";

struct PortsConfig {
  std::optional<int32_t> port;                                      // Port=N, 1-based
  std::array<std::optional<std::string>, kConfigurablePorts> com;   // COM1..COM4
  // A mode2 pulse file the simulated receiver plays as a held remote, from
  // 0.1 s after the port opens, repeated after SimRemoteGap ms (default 50).
  std::optional<std::string> simRemote;
  std::optional<int32_t> simRemoteGapMs;
  std::optional<int32_t> simLogLimitBytes;
  std::vector<std::string> warnings;                                // lines not understood

  // "sim", a device path, or empty for no device. COM1 defaults to "sim".
  std::string backendFor(int comNumber) const;
};

PortsConfig parsePortsConfig(const std::string& text);
// n of a port name "COMn:" with n in 1..4, else 0.
int comPortNumber(const std::string& name);
// A missing file is an empty configuration; one that cannot be read is too,
// with a warning saying so. Only the first kMaxPortsConfigBytes are read: a
// handful of lines is all it ever holds.
inline constexpr size_t kMaxPortsConfigBytes = 64 * 1024;
PortsConfig loadPortsConfig(FileSystem& fs, const std::string& path);

// Opens "COM1:".."COM4:" as ports.conf says: the simulated transmitter
// (logging to simLogPath, if not empty) or a termios serial device. A
// SimRemote that cannot be played is told on stderr, `program` first; the
// port opens all the same, as sending does not need it.
class ConfiguredPortOpener final : public PortOpener {
 public:
  ConfiguredPortOpener(PortsConfig config, PerformanceCounter& counter, std::string simLogPath,
                       std::string program = "zapvane")
      : config_(std::move(config)), counter_(counter), simLogPath_(std::move(simLogPath)),
        program_(std::move(program)) {}

  Status open(const std::string& name, std::unique_ptr<SerialDevice>& device) override;

 private:
  PortsConfig config_;
  PerformanceCounter& counter_;
  std::string simLogPath_;
  std::string program_;
};

}  // namespace zapvane
