#include "bench_platform.h"

namespace zapvane::bench {

std::unique_ptr<SerialDevice> BenchPlatform::openPort(const std::string&, const PortsConfig&, const std::string&,
                                                      std::string&) {
  auto sim = std::make_unique<SimTransmitter>(clock_, std::string());
  if (onOpen) onOpen(*sim);
  opened = sim.get();
  return sim;
}

}  // namespace zapvane::bench
