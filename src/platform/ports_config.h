// ports.conf in the data directory: which backend stands behind each port
// name, and the transceiver's 1-based port number (the handheld kept that in
// its serial infrared driver's settings).
//
//   # comment
//   Port=1              # a '#' after a blank ends the value
//   COM1=sim
//   COM2=/dev/ttyUSB0
//   COM3=lirc:/dev/lirc0   (a kernel IR device)
//   COM3.Carrier=36000     (Hz, default 38000, where the device sets it)
//   COM3.DutyCycle=33      (percent, 1..99, where the device sets it)
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
#include "platform/lirc_device.h"
#include "platform/lirc_syscalls.h"
#include "platform/performance_counter.h"
#include "platform/serial_device.h"

namespace zapvane {

inline constexpr int kConfigurablePorts = 4;
inline constexpr const char* kSimBackend = "sim";
inline constexpr const char* kLircPrefix = "lirc:";
inline constexpr int32_t kMinCarrierHz = 10'000;
inline constexpr int32_t kMaxCarrierHz = 500'000;

struct PortsConfig {
  std::optional<int32_t> port;                                      // Port=N, 1-based
  std::array<std::optional<std::string>, kConfigurablePorts> com;   // COM1..COM4
  // A mode2 pulse file the simulated receiver plays as a held remote, from
  // 0.1 s after the port opens, repeated after SimRemoteGap ms (default 50).
  std::optional<std::string> simRemote;
  std::optional<int32_t> simRemoteGapMs;
  std::optional<int32_t> simLogLimitBytes;
  std::array<LircOptions, kConfigurablePorts> lirc;                // COMn.Carrier, COMn.DutyCycle
  std::vector<std::string> warnings;                                // lines not understood

  // "sim", a device path, "lirc:" and a device path, or empty for no
  // device. COM1 defaults to "sim".
  std::string backendFor(int comNumber) const;
};

// The device path of a "lirc:" backend, or empty for any other.
std::string lircPath(const std::string& backend);

PortsConfig parsePortsConfig(const std::string& text);
// n of a port name "COMn:" with n in 1..4, else 0.
int comPortNumber(const std::string& name);
// A missing file is an empty configuration; one that cannot be read is too,
// with a warning saying so. Only the first kMaxPortsConfigBytes are read: a
// handful of lines is all it ever holds.
inline constexpr size_t kMaxPortsConfigBytes = 64 * 1024;
PortsConfig loadPortsConfig(FileSystem& fs, const std::string& path);

// Opens "COM1:".."COM4:" as ports.conf says: the simulated transmitter
// (logging to simLogPath, if not empty), a termios serial device, or a
// kernel IR device through `lircCalls` (none: such a port cannot open). A
// SimRemote that cannot be played is told on stderr, `program` first; the
// port opens all the same, as sending does not need it.
class ConfiguredPortOpener final : public PortOpener {
 public:
  ConfiguredPortOpener(PortsConfig config, PerformanceCounter& counter, std::string simLogPath,
                       std::string program = "zapvane", LircSyscalls* lircCalls = nullptr)
      : config_(std::move(config)), counter_(counter), simLogPath_(std::move(simLogPath)),
        program_(std::move(program)), lircCalls_(lircCalls) {}

  Status open(const std::string& name, std::unique_ptr<SerialDevice>& device) override;

 private:
  PortsConfig config_;
  PerformanceCounter& counter_;
  std::string simLogPath_;
  std::string program_;
  LircSyscalls* lircCalls_;
};

// Opens the kernel IR device of a "lirc:" backend of port `comNumber` with
// its options from `config`.
Status openLircPort(LircSyscalls& calls, const PortsConfig& config, int comNumber,
                    std::unique_ptr<SerialDevice>& device);

}  // namespace zapvane
