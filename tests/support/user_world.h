// A catalogue with user-device buffers as start-up leaves it before loading the
// user-devices file, and devices added as learning adds them. Keep it on the heap.
#pragma once

#include <gtest/gtest.h>

#include <string_view>

#include "catalogue/user_device_buffers.h"

namespace zapvane::testing {

struct UserWorld {
  DeviceCatalogue catalogue;
  UserDeviceBuffers buffers;
  UserWorld() { resetUserDevices(catalogue); }
  DeviceProfile& add(std::u16string_view name, int32_t skin) {
    const int i = catalogue.userCount++;
    DeviceProfile& d = catalogue.userDevices[static_cast<size_t>(i)];
    EXPECT_TRUE(allocateUserDeviceBuffers(buffers, i));
    std::copy(name.begin(), name.end(), d.name.begin());
    d.skinType = skin;
    attachUserDeviceBuffers(d, buffers, i);
    return d;
  }
  LearnedSignal& signal(int device, int slot) const {
    return *buffers.signalRows[static_cast<size_t>(device)][static_cast<size_t>(slot)];
  }
};

}  // namespace zapvane::testing
