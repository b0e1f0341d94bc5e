#include "bench_platform.h"

namespace zapvane::bench {

Status BenchPlatform::openPort(const std::string&, const PortsConfig&, const std::string&,
                               std::unique_ptr<SerialDevice>& device) {
  auto sim = std::make_unique<SimTransmitter>(clock_, std::string());
  if (onOpen) onOpen(*sim);
  opened = sim.get();
  device = std::move(sim);
  return Status::ok();
}

}  // namespace zapvane::bench
