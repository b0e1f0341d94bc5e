#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "cli/commands.h"
#include "cli/json_output.h"
#include "cli/port_listing.h"
#include "ir/light_matcher.h"
#include "learn/sample_capture.h"
#include "platform/lirc_device.h"
#include "platform/pulse_file.h"
#include "platform/real_platform.h"
#include "platform/sim_transmitter.h"

namespace zapvane::cli {

namespace {

constexpr int64_t kRemoteStartMicroseconds = 100'000;  // as the simulated receiver hears SimRemote=
// A signal longer than a kernel write could hold is no remote's; it ends there.
constexpr size_t kMostSignalDurations = kMaxLircValues;

// Opens the kernel device of a "lirc:" backend as port 1 of a configuration
// of its own, so the platform's own devices (real or loopback) answer.
PortListing describeLirc(Platform& platform, const PortsConfig& config, int number, const std::string& path) {
  PortListing listing{number, "lirc", path, {}};
  std::unique_ptr<SerialDevice> device;
  const Status opened = platform.openPort(portDeviceName(number - 1), config, {}, device);
  LircDevice* kernel = device ? device->kernelIr() : nullptr;
  listing.detail = kernel != nullptr ? lircFeatureNames(kernel->features()) : "unavailable: " + opened.message();
  return listing;
}

// Where the samples of a receive come from.
class SampleSource {
 public:
  virtual ~SampleSource() = default;
  // Appends what arrives within about `milliseconds`.
  virtual Status read(std::vector<uint32_t>& samples, int32_t milliseconds) = 0;
};

class KernelSamples final : public SampleSource {
 public:
  explicit KernelSamples(std::unique_ptr<SerialDevice> device) : device_(std::move(device)) {}
  Status read(std::vector<uint32_t>& samples, int32_t milliseconds) override {
    return device_->kernelIr()->readSamples(samples, milliseconds);
  }

 private:
  std::unique_ptr<SerialDevice> device_;
};

// SimRemote= as a receiver hears a held remote: from 0.1 s on, each frame
// once its light has ended, with the receiver's time-out after it, then the
// frame again after its pause.
class SimRemoteSamples final : public SampleSource {
 public:
  explicit SimRemoteSamples(RemoteSignal signal) : signal_(std::move(signal)) {
    for (int64_t d : signal_.durations) frameMicroseconds_ += d;
    frameEnd_ = std::chrono::steady_clock::now() + std::chrono::microseconds(kRemoteStartMicroseconds + frameMicroseconds_);
  }
  Status read(std::vector<uint32_t>& samples, int32_t milliseconds) override {
    const auto waitEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    std::this_thread::sleep_until(std::min(waitEnd, frameEnd_));
    if (std::chrono::steady_clock::now() < frameEnd_) return Status::ok();
    for (size_t i = 0; i < signal_.durations.size(); ++i) {
      const auto value = static_cast<uint32_t>(std::clamp<int64_t>(signal_.durations[i], 0, 0xFFFFFF));
      samples.push_back(static_cast<uint32_t>(i % 2 == 0 ? SampleKind::pulse : SampleKind::space) << 24 | value);
    }
    samples.push_back(static_cast<uint32_t>(SampleKind::timeout) << 24 | static_cast<uint32_t>(kSignalEndMicroseconds));
    frameEnd_ += std::chrono::microseconds(signal_.repeatPauseMicroseconds + frameMicroseconds_);
    return Status::ok();
  }

 private:
  RemoteSignal signal_;
  int64_t frameMicroseconds_ = 0;
  std::chrono::steady_clock::time_point frameEnd_;
};

// Samples into signals: a signal ends at the receiver's time-out sample or
// a space of kSignalEndMicroseconds or more, and is handed to `done`.
class SignalSplitter {
 public:
  template <typename Done>
  void add(uint32_t sample, Done&& done) {
    const SampleKind kind = sampleKind(sample);
    const int64_t value = sampleValue(sample);
    const bool ends = kind == SampleKind::timeout || (kind == SampleKind::space && value >= kSignalEndMicroseconds);
    if (ends || durations_.size() >= kMostSignalDurations) {
      if (durations_.size() % 2 == 0 && !durations_.empty()) durations_.pop_back();  // a space after the last pulse
      if (!durations_.empty()) done(durations_);
      durations_.clear();
      return;
    }
    if (kind != SampleKind::pulse && kind != SampleKind::space) return;
    const bool pulse = kind == SampleKind::pulse;
    if (durations_.empty() && !pulse) return;  // silence before a signal
    if ((durations_.size() % 2 == 1) == pulse) {
      durations_.back() += value;  // two samples of the same light
    } else {
      durations_.push_back(value);
    }
  }

 private:
  std::vector<int64_t> durations_;
};

std::unique_ptr<SampleSource> openReceiver(Platform& platform, const Remote& remote, int32_t comPort) {
  const std::string name = portDeviceName(comPort - 1);
  const std::string backend = remote.portsConfig.backendFor(comPort);
  if (backend == kSimBackend) {
    if (!remote.portsConfig.simRemote) {
      fail(Status::notFound(name + " is the simulator and ports.conf names no SimRemote= for it to hear"));
    }
    RemoteSignal signal;
    const Status read = readPulseFile(*remote.portsConfig.simRemote, signal);
    if (!read.isOk()) fail(Status::ioError("SimRemote: " + read.message()));
    if (remote.portsConfig.simRemoteGapMs) signal.repeatPauseMicroseconds = int64_t{*remote.portsConfig.simRemoteGapMs} * 1000;
    return std::make_unique<SimRemoteSamples>(std::move(signal));
  }
  if (!backend.empty() && lircPath(backend).empty()) {
    fail(Status::ioError(name + " is a serial port; only the simulator and kernel IR devices receive here"));
  }
  std::unique_ptr<SerialDevice> device;
  const Status opened = platform.openPort(name, remote.portsConfig, {}, device);
  LircDevice* kernel = device ? device->kernelIr() : nullptr;
  if (!opened.isOk() || kernel == nullptr) fail(Status::ioError("Unable to open " + name + " " + opened.message()));
  const Status ready = kernel->prepareReceiving();
  if (!ready.isOk()) fail(Status::ioError("Unable to open " + name + " " + ready.message()));
  return std::make_unique<KernelSamples>(std::move(device));
}

}  // namespace

std::vector<PortListing> listPorts(Platform& platform, const PortsConfig& config) {
  std::vector<PortListing> ports;
  for (int number = 1; number <= kConfigurablePorts; ++number) {
    const std::string backend = config.backendFor(number);
    if (backend.empty()) {
      ports.push_back({number, "none", {}, {}});
    } else if (backend == kSimBackend) {
      ports.push_back({number, "sim", {}, {}});
    } else if (const std::string path = lircPath(backend); !path.empty()) {
      ports.push_back(describeLirc(platform, config, number, path));
    } else {
      ports.push_back({number, "tty", backend, {}});
    }
  }
  for (const std::string& path : platform.lircDevicesPresent()) {
    PortsConfig alone;
    alone.com[0] = kLircPrefix + path;
    PortListing found = describeLirc(platform, alone, 1, path);
    found.number = 0;
    ports.push_back(std::move(found));
  }
  return ports;
}

std::string portsText(const std::vector<PortListing>& ports) {
  std::string text;
  for (const PortListing& port : ports) {
    text += port.number == 0 ? std::string("found") : "COM" + std::to_string(port.number) + "\t" + port.kind;
    if (!port.path.empty()) text += "\t" + port.path;
    if (!port.detail.empty()) text += "\t" + port.detail;
    text += '\n';
  }
  return text;
}

std::string portsJson(const std::vector<PortListing>& ports) {
  std::string json = "[";
  for (const PortListing& port : ports) {
    if (json.size() > 1) json += ',';
    JsonObject entry;
    entry.addJson("port", port.number == 0 ? "null" : jsonString("COM" + std::to_string(port.number)))
        .add("kind", port.number == 0 ? std::string("lirc") : port.kind)
        .addJson("path", port.path.empty() ? "null" : jsonString(port.path))
        .addJson("detail", port.detail.empty() ? "null" : jsonString(port.detail));
    json += entry.str();
  }
  return json + "]\n";
}

std::string heardText(const HeardSignal& signal) {
  return mode2Text(signal.durations) + signal.verdict + "\n\n";
}

int runPorts(Context& context, const std::vector<std::string>& args) {
  const bool json = jsonFlagAlone(args);
  RealPlatform platform("zapvane-cli");
  const auto remote = startRemote(platform, context, Access::read);
  const std::vector<PortListing> ports = listPorts(platform, remote->portsConfig);
  context.out << (json ? portsJson(ports) : portsText(ports));
  return kExitOk;
}

int runReceive(Context& context, const std::vector<std::string>& args) {
  const ParsedArgs parsed = parseArgs(args, {"--port", "--timeout", "--count"}, 0, "no arguments but options", {"--json"});
  const bool json = parsed.flag("--json");
  const int32_t timeoutSeconds = parseTimeoutSeconds(parsed);
  int32_t count = 0;  // 0: until the receiver stays quiet
  if (auto v = parsed.value("--count")) {
    count = parseNumber(*v, "--count value");
    if (count < 1) fail(Status::invalidArgument("--count takes a number of signals, 1 or more"));
  }
  RealPlatform platform("zapvane-cli");
  const auto remote = startRemote(platform, context, Access::read);
  const int32_t comPort = parsed.value("--port") ? parseComPort(*parsed.value("--port")) : remote->settings.port.load() + 1;
  const std::unique_ptr<SampleSource> receiver = openReceiver(platform, *remote, comPort);

  const LightMatcher matcher;
  SignalSplitter splitter;
  int32_t heard = 0;
  auto lastLight = std::chrono::steady_clock::now();
  std::vector<uint32_t> samples;
  while (count == 0 || heard < count) {
    samples.clear();
    const Status read = receiver->read(samples, kSamplePollMilliseconds);
    if (!read.isOk()) fail(read);
    if (!samples.empty()) lastLight = std::chrono::steady_clock::now();
    for (uint32_t sample : samples) {
      splitter.add(sample, [&](const std::vector<int64_t>& durations) {
        if (count != 0 && heard >= count) return;
        ++heard;
        if (json) {
          const std::string now = utcTimeStamp(std::chrono::system_clock::now());
          context.out << describeFrameJson(durations, now, matcher, remote->catalogue, true) << '\n' << std::flush;
        } else {
          context.out << heardText({durations, describeFrame(durations, matcher, remote->catalogue)}) << std::flush;
        }
      });
    }
    if (std::chrono::steady_clock::now() - lastLight > std::chrono::seconds(timeoutSeconds)) break;
  }
  if (heard == 0) fail(Status::ioError("no light reached the port within " + std::to_string(timeoutSeconds) + " s"));
  return kExitOk;
}

}  // namespace zapvane::cli
