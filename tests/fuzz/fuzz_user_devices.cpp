// The user-devices loader on arbitrary bytes: never reads or writes outside
// the records, every loaded device is usable, and a file it writes reads
// back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "app/remote.h"
#include "storage/user_devices_file.h"

namespace {

class IgnoreMessages final : public zapvane::MessageSink {
 public:
  void show(const zapvane::Message&) override {}
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
  RemoteCore core;
  startCatalogue(core);
  readUserDevices(core.catalogue, core.buffers, std::vector<uint8_t>(data, data + size), messages);
  checkUsable(core.catalogue);

  const std::vector<uint8_t> written = userDevicesBytes(core.catalogue);
  RemoteCore again;
  startCatalogue(again);
  readUserDevices(again.catalogue, again.buffers, written, messages);
  if (userDevicesBytes(again.catalogue) != written) std::abort();
  return 0;
}
