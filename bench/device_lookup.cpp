#include "device_lookup.h"

#include <string>

#include "catalogue/text.h"

namespace zapvane::bench {

DeviceProfile* findDevice(const DeviceCatalogue& catalogue, const char* name) {
  for (int32_t i = 0; i < catalogue.catalogueCount; ++i) {
    DeviceProfile* device = catalogue.entries[static_cast<size_t>(i)];
    if (utf16ToUtf8(device->name.data(), device->name.size()) == name) return device;
  }
  return nullptr;
}

}  // namespace zapvane::bench
