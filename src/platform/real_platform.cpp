#include "platform/real_platform.h"

namespace zapvane {

std::unique_ptr<SerialDevice> RealPlatform::openPort(const std::string& name, const PortsConfig& config,
                                                     const std::string& simLogPath, std::string& error) {
  return ConfiguredPortOpener(config, counter_, simLogPath).open(name, error);
}

}  // namespace zapvane
