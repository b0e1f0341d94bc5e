#include "platform/real_platform.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace zapvane {

Status RealPlatform::openPort(const std::string& name, const PortsConfig& config, const std::string& simLogPath,
                              std::unique_ptr<SerialDevice>& device) {
  return ConfiguredPortOpener(config, counter_, simLogPath, program_, &lirc_).open(name, device);
}

std::vector<std::string> RealPlatform::lircDevicesPresent() {
  std::vector<std::string> found;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/dev", error)) {
    const std::string name = entry.path().filename().string();
    if (name.compare(0, 4, "lirc") == 0 && name.size() > 4 && std::isdigit(static_cast<unsigned char>(name[4]))) {
      found.push_back(entry.path().string());
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace zapvane
