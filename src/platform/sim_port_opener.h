// Hands out simulated transmitters without reading ports.conf or writing a
// log: for tools that render or capture on a virtual clock (the command line
// tool's frame and learn, the light matcher, tests, benchmarks).
//
// Threads: open() runs on the thread that opens the port.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/performance_counter.h"
#include "platform/serial_device.h"
#include "platform/sim_transmitter.h"

namespace zapvane {

class SimPortOpener final : public PortOpener {
 public:
  // Serves every port name, or only `onlyName` when given.
  explicit SimPortOpener(PerformanceCounter& counter, std::string onlyName = {})
      : counter_(counter), onlyName_(std::move(onlyName)) {}

  // Runs on each new transmitter before anything is written to it, so hooks
  // set here see every burst (and a remote pointed here every read).
  std::function<void(SimTransmitter&)> onOpen;

  Status open(const std::string& name, std::unique_ptr<SerialDevice>& device) override {
    if (!onlyName_.empty() && name != onlyName_) return Status::notFound("no such port");
    auto sim = std::make_unique<SimTransmitter>(counter_, std::string());
    if (onOpen) onOpen(*sim);
    opened_ = sim.get();
    device = std::move(sim);
    return Status::ok();
  }

  // The last transmitter handed out; gone once its port closes.
  SimTransmitter* opened() const { return opened_; }

 private:
  PerformanceCounter& counter_;
  std::string onlyName_;
  SimTransmitter* opened_ = nullptr;
};

}  // namespace zapvane
