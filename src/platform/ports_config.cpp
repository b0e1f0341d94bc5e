#include "platform/ports_config.h"

#include <charconv>
#include <cstdio>
#include <sstream>

#include "platform/pulse_file.h"
#include "platform/sim_transmitter.h"
#include "platform/termios_serial.h"

namespace zapvane {

namespace {

constexpr int64_t kSimRemoteDelayNanoseconds = 100'000'000;

std::string trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

// A '#' that starts the line or follows a blank starts a comment, so a
// device path may still hold one ("/dev/ir#2").
std::string withoutComment(const std::string& line) {
  for (size_t at = line.find('#'); at != std::string::npos; at = line.find('#', at + 1)) {
    if (at == 0 || line[at - 1] == ' ' || line[at - 1] == '\t') return line.substr(0, at);
  }
  return line;
}

std::optional<int32_t> parseInt(const std::string& s) {
  int32_t value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}

// n of "COMn.Carrier" or "COMn.DutyCycle" with n in 1..4, else 0.
int lircOptionPort(const std::string& key) {
  const bool comDot = key.size() > 5 && key.compare(0, 3, "COM") == 0 && key[3] >= '1' && key[3] <= '4' && key[4] == '.';
  if (!comDot) return 0;
  const std::string option = key.substr(5);
  return option == "Carrier" || option == "DutyCycle" ? key[3] - '0' : 0;
}

}  // namespace

int comPortNumber(const std::string& name) {
  if (name.size() != 5 || name.compare(0, 3, "COM") != 0 || name[4] != ':') return 0;
  const char digit = name[3];
  return digit >= '1' && digit <= '4' ? digit - '0' : 0;
}

std::string lircPath(const std::string& backend) {
  return backend.compare(0, std::string(kLircPrefix).size(), kLircPrefix) == 0 ? backend.substr(std::string(kLircPrefix).size())
                                                                               : std::string();
}

std::string PortsConfig::backendFor(int number) const {
  if (number < 1 || number > kConfigurablePorts) return {};
  const auto& entry = com[static_cast<size_t>(number - 1)];
  if (entry) return *entry;
  return number == 1 ? kSimBackend : std::string();
}

PortsConfig parsePortsConfig(const std::string& text) {
  PortsConfig config;
  std::istringstream in(text);
  std::string raw;
  int lineNumber = 0;
  while (std::getline(in, raw)) {
    ++lineNumber;
    const std::string line = trim(withoutComment(raw));
    if (line.empty()) continue;
    const auto eq = line.find('=');
    if (eq == std::string::npos) {
      config.warnings.push_back("line " + std::to_string(lineNumber) + ": expected key=value");
      continue;
    }
    const std::string key = trim(line.substr(0, eq));
    const std::string value = trim(line.substr(eq + 1));
    if (key == "Port") {
      config.port = parseInt(value);
      if (!config.port) config.warnings.push_back("line " + std::to_string(lineNumber) + ": Port is not a number");
    } else if (key == "SimRemote") {
      config.simRemote = value;
    } else if (key == "SimRemoteGap") {
      config.simRemoteGapMs = parseInt(value);
      if (!config.simRemoteGapMs || *config.simRemoteGapMs < 0) {
        config.simRemoteGapMs.reset();
        config.warnings.push_back("line " + std::to_string(lineNumber) + ": SimRemoteGap is not a number of ms");
      }
    } else if (key == "SimLogLimit") {
      config.simLogLimitBytes = parseInt(value);
      if (!config.simLogLimitBytes || *config.simLogLimitBytes < kMinSimLogLimitBytes) {
        config.simLogLimitBytes.reset();
        config.warnings.push_back("line " + std::to_string(lineNumber) + ": SimLogLimit is not a number of bytes from " +
                                  std::to_string(kMinSimLogLimitBytes));
      }
    } else if (key.size() == 4 && key.compare(0, 3, "COM") == 0 && key[3] >= '1' && key[3] <= '4') {
      if (value == kLircPrefix) {
        config.warnings.push_back("line " + std::to_string(lineNumber) + ": " + key + "=lirc: needs a device path");
        continue;
      }
      config.com[static_cast<size_t>(key[3] - '1')] = value;
    } else if (const int port = lircOptionPort(key); port != 0) {
      const std::string option = key.substr(5);
      LircOptions& options = config.lirc[static_cast<size_t>(port - 1)];
      const std::optional<int32_t> number = parseInt(value);
      if (option == "Carrier" && number && *number >= kMinCarrierHz && *number <= kMaxCarrierHz) {
        options.carrierHz = static_cast<uint32_t>(*number);
      } else if (option == "DutyCycle" && number && *number >= 1 && *number <= 99) {
        options.dutyCyclePercent = static_cast<uint32_t>(*number);
      } else {
        config.warnings.push_back("line " + std::to_string(lineNumber) + ": " + key +
                                  (option == "Carrier" ? " is not a number of Hz from " + std::to_string(kMinCarrierHz) +
                                                             " to " + std::to_string(kMaxCarrierHz)
                                                       : " is not a percentage from 1 to 99"));
      }
    } else {
      config.warnings.push_back("line " + std::to_string(lineNumber) + ": unknown key " + key);
    }
  }
  return config;
}

PortsConfig loadPortsConfig(FileSystem& fs, const std::string& path) {
  std::vector<uint8_t> bytes;
  bool truncated = false;
  const Status read = fs.readFile(path, kMaxPortsConfigBytes, bytes, &truncated);
  if (read.isNotFound()) return {};
  if (!read.isOk()) {
    PortsConfig defaults;
    defaults.warnings.push_back(read.message() + "; using the defaults");
    return defaults;
  }
  PortsConfig config = parsePortsConfig(std::string(bytes.begin(), bytes.end()));
  if (truncated) config.warnings.push_back("longer than " + std::to_string(kMaxPortsConfigBytes) + " bytes; the rest is ignored");
  return config;
}

Status ConfiguredPortOpener::open(const std::string& name, std::unique_ptr<SerialDevice>& device) {
  device.reset();
  const std::string backend = config_.backendFor(comPortNumber(name));
  if (backend.empty()) return Status::notFound("no device in ports.conf");
  if (backend == kSimBackend) {
    auto sim = std::make_unique<SimTransmitter>(counter_, simLogPath_);
    if (config_.simLogLimitBytes) sim->setLogLimit(*config_.simLogLimitBytes);
    SimTransmitter& simulator = *sim;
    device = std::move(sim);
    if (config_.simRemote) {
      RemoteSignal signal;
      const Status played = readPulseFile(*config_.simRemote, signal);
      if (!played.isOk()) {
        // Sending does not need the remote; say why learning will hear nothing.
        std::fprintf(stderr, "%s: SimRemote: %s\n", program_.c_str(), played.message().c_str());
        return Status::ok();
      }
      if (config_.simRemoteGapMs) signal.repeatPauseMicroseconds = int64_t{*config_.simRemoteGapMs} * 1000;
      const int64_t ticks = counter_.now();
      const int64_t frequency = counter_.frequency();
      const int64_t nowNs = ticks / frequency * 1'000'000'000 + ticks % frequency * 1'000'000'000 / frequency;
      simulator.pointRemote(std::move(signal), nowNs + kSimRemoteDelayNanoseconds);
    }
    return Status::ok();
  }
  if (!lircPath(backend).empty()) {
    if (lircCalls_ == nullptr) return Status::notFound(backend + ": no kernel IR devices here");
    return openLircPort(*lircCalls_, config_, comPortNumber(name), device);
  }
  return openTermiosDevice(backend, device);
}

Status openLircPort(LircSyscalls& calls, const PortsConfig& config, int comNumber,
                    std::unique_ptr<SerialDevice>& device) {
  device.reset();
  std::unique_ptr<LircDevice> lirc;
  const Status opened = LircDevice::open(calls, lircPath(config.backendFor(comNumber)),
                                         config.lirc[static_cast<size_t>(comNumber - 1)], lirc);
  device = std::move(lirc);
  return opened;
}

}  // namespace zapvane
