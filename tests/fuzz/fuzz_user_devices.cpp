// The user-devices loader on arbitrary bytes: never reads or writes outside
// the records, every device it loads is usable, and a file it writes reads
// back to the same bytes.
#include <cstdlib>
#include <memory>

#include "storage/user_devices_file.h"

using namespace zapvane;

// Loads into records as start-up leaves them; returns what a save would write.
static std::vector<uint8_t> loadAndSave(const std::vector<uint8_t>& bytes) {
  const auto catalogue = std::make_unique<DeviceCatalogue>();  // tens of kilobytes
  const auto buffers = std::make_unique<UserDeviceBuffers>();
  struct : MessageSink { void show(const Message&) override {} } ignored;
  resetUserDevices(*catalogue);
  readUserDevices(*catalogue, *buffers, bytes, ignored);
  if (catalogue->userCount < 0 || catalogue->userCount > kMaxUserDevices) std::abort();
  for (int32_t i = 0; i < catalogue->userCount; ++i) {
    const DeviceProfile& device = catalogue->userDevices[static_cast<size_t>(i)];
    if (device.isLearned != 1 || device.learnedSlots == nullptr || device.labelTable == nullptr) std::abort();
    for (int32_t command = -1; command <= device.commandCount; ++command) commandExists(command, device);
  }
  return userDevicesBytes(*catalogue);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> written = loadAndSave(std::vector<uint8_t>(data, data + size));
  if (loadAndSave(written) != written) std::abort();
  return 0;
}
