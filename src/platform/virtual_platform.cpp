#include "platform/virtual_platform.h"

namespace zapvane {

bool RecordingThreadPriority::raiseToTimeCritical() {
  calls_ += 'R';
  return true;
}

void RecordingThreadPriority::dropToNormal() { calls_ += 'N'; }

std::string RecordingThreadPriority::calls() const { return calls_; }

Sleeper& VirtualPlatform::sleeper() { return sleeper_; }

FileSystem& VirtualPlatform::files() {
  if (realFiles) return disk_;
  return memoryFiles;
}

void VirtualPlatform::ChosenSleeper::sleepMilliseconds(int32_t milliseconds) {
  if (platform_.realSleeps) {
    real_.sleepMilliseconds(milliseconds);
  } else {
    platform_.virtualSleeps.sleepMilliseconds(milliseconds);
  }
}

void VirtualPlatform::ChosenSleeper::sleepNanoseconds(int64_t nanoseconds) {
  if (platform_.realSleeps) {
    real_.sleepNanoseconds(nanoseconds);
  } else {
    platform_.virtualSleeps.sleepNanoseconds(nanoseconds);
  }
}

std::vector<std::string> VirtualPlatform::lircDevicesPresent() {
  return {loopback.paths.begin(), loopback.paths.end()};
}

Status VirtualPlatform::openPort(const std::string& name, const PortsConfig& config, const std::string&,
                                 std::unique_ptr<SerialDevice>& device) {
  requestedPorts.push_back(name);
  const int number = comPortNumber(name);
  if (!everyPortSimulated && !lircPath(config.backendFor(number)).empty()) {
    return openLircPort(loopback, config, number, device);
  }
  if (!everyPortSimulated && config.backendFor(number) != kSimBackend) {
    return Status::notFound("no device in ports.conf");
  }
  auto sim = std::make_unique<SimTransmitter>(clock, std::string());
  if (remote) {
    sim->setReadCost(&clock, pollNanoseconds);
    sim->pointRemote(*remote, clock.elapsedNanoseconds() + remoteDelayNanoseconds);
  }
  sim->onFrame = [this](const std::vector<Burst>& bursts) {
    frames.push_back(bursts);
    ++frameCount;
  };
  if (onOpen) onOpen(*sim);
  opened = sim.get();
  device = std::move(sim);
  return Status::ok();
}

}  // namespace zapvane
