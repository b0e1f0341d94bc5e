#include "platform/termios_serial.h"

namespace zapvane {

std::unique_ptr<SerialDevice> openTermiosDevice(const std::string& path, std::string& error) {
  error = "serial devices are not supported yet: " + path;
  return nullptr;
}

}  // namespace zapvane
