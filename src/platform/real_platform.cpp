#include "platform/real_platform.h"

namespace zapvane {

Status RealPlatform::openPort(const std::string& name, const PortsConfig& config, const std::string& simLogPath,
                              std::unique_ptr<SerialDevice>& device) {
  return ConfiguredPortOpener(config, counter_, simLogPath, program_).open(name, device);
}

}  // namespace zapvane
