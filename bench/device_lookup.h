// Devices chosen by the name the catalogue shows, so the bench's choice
// survives any reordering of the catalogue.
#pragma once

#include "catalogue/device_catalogue.h"
#include "catalogue/device_profile.h"

namespace zapvane::bench {

// The first catalogue entry named `name`, or nullptr.
DeviceProfile* findDevice(const DeviceCatalogue& catalogue, const char* name);

}  // namespace zapvane::bench
