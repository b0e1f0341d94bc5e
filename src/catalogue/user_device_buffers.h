// The learned-signal and label buffers of the 30 user devices. Each device
// owns 30 signal buffers of 800 bytes and 10 label buffers of 15 UTF-16
// units, allocated when the device is created or loaded and kept until the
// program ends (signals until the window closes). Profiles point at the rows
// of signalRows and labelRows, so this struct must outlive the catalogue's
// use of them and is never copied.
//
// Threads: allocated and freed on the window thread; the learn worker writes
// one signal buffer while nothing else reads it.
#pragma once

#include <array>
#include <memory>

#include "catalogue/device_catalogue.h"
#include "catalogue/device_profile.h"

namespace zapvane {

using LabelBuffer = std::array<char16_t, kLabelUnits>;

struct UserDeviceBuffers {
  std::array<std::array<LearnedSignal*, kUserSignalSlots>, kMaxUserDevices> signalRows{};
  std::array<std::array<char16_t*, kUserLabelSlots>, kMaxUserDevices> labelRows{};
  std::array<std::array<std::unique_ptr<LearnedSignal>, kUserSignalSlots>, kMaxUserDevices> signals;
  std::array<std::array<std::unique_ptr<LabelBuffer>, kUserLabelSlots>, kMaxUserDevices> labels;

  UserDeviceBuffers() = default;
  UserDeviceBuffers(const UserDeviceBuffers&) = delete;
  UserDeviceBuffers& operator=(const UserDeviceBuffers&) = delete;
};

// Allocates row `device` of both tables: 30 empty signals (first mark -1),
// then 10 empty labels. Stops at the first allocation that fails and returns
// false; what was allocated stays. A row already allocated is reused as is.
// REQUIRES: 0 <= device < kMaxUserDevices.
bool allocateUserDeviceBuffers(UserDeviceBuffers& buffers, int device);

// Points the profile at its rows and makes it a usable user device of its
// skin: labelCount 10, commandCount 27 (TV) or 23 (VCR), 0 for any other skin.
void attachUserDeviceBuffers(DeviceProfile& profile, UserDeviceBuffers& buffers, int device);

// Releases the signal buffers of the first userCount devices; labels stay.
void freeLearnedSlots(UserDeviceBuffers& buffers, DeviceCatalogue& catalogue);

}  // namespace zapvane
