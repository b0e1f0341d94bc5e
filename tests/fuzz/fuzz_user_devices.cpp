// The user-devices loader on arbitrary bytes: never reads or writes outside
// the records, every loaded device is usable, and a file it writes reads
// back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "catalogue/device_catalogue.h"
#include "catalogue/user_device_buffers.h"
#include "storage/user_devices_file.h"

namespace {

class IgnoreMessages final : public zapvane::MessageSink {
 public:
  void show(const zapvane::Message&) override {}
};

// The catalogue and the buffers the loader fills, as start-up leaves them
// before loading; tens of kilobytes, so on the heap.
struct UserDevices {
  UserDevices() { zapvane::startCatalogue(catalogue, current); }
  zapvane::DeviceCatalogue catalogue;
  zapvane::UserDeviceBuffers buffers;
  zapvane::CurrentDevice current;
};

void checkUsable(const zapvane::DeviceCatalogue& catalogue) {
  using namespace zapvane;
  if (catalogue.userCount < 0 || catalogue.userCount > kMaxUserDevices) std::abort();
  for (int32_t i = 0; i < catalogue.userCount; ++i) {
    const DeviceProfile& device = catalogue.userDevices[static_cast<size_t>(i)];
    if (device.isLearned != 1 || device.learnedSlots == nullptr || device.labelTable == nullptr) std::abort();
    for (int32_t command = -1; command <= device.commandCount; ++command) commandExists(command, device);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zapvane;
  IgnoreMessages messages;
  const auto loaded = std::make_unique<UserDevices>();
  readUserDevices(loaded->catalogue, loaded->buffers, std::vector<uint8_t>(data, data + size), messages);
  checkUsable(loaded->catalogue);

  const std::vector<uint8_t> written = userDevicesBytes(loaded->catalogue);
  const auto again = std::make_unique<UserDevices>();
  readUserDevices(again->catalogue, again->buffers, written, messages);
  if (userDevicesBytes(again->catalogue) != written) std::abort();
  return 0;
}
