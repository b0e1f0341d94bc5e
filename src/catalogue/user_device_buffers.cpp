#include "catalogue/user_device_buffers.h"

#include <new>

namespace zapvane {

bool allocateUserDeviceBuffers(UserDeviceBuffers& buffers, int device) {
  const auto row = static_cast<size_t>(device);
  for (size_t slot = 0; slot < kUserSignalSlots; ++slot) {
    auto& owned = buffers.signals[row][slot];
    if (!owned) {
      owned.reset(new (std::nothrow) LearnedSignal);
      if (!owned) return false;
      owned->clear();
    }
    buffers.signalRows[row][slot] = owned.get();
  }
  for (size_t slot = 0; slot < kUserLabelSlots; ++slot) {
    auto& owned = buffers.labels[row][slot];
    if (!owned) {
      owned.reset(new (std::nothrow) LabelBuffer{});
      if (!owned) return false;
    }
    buffers.labelRows[row][slot] = owned->data();
  }
  return true;
}

void attachUserDeviceBuffers(DeviceProfile& profile, UserDeviceBuffers& buffers, int device) {
  const auto row = static_cast<size_t>(device);
  profile.learnedSlots = buffers.signalRows[row].data();
  profile.labelTable = buffers.labelRows[row].data();
  profile.labelCount = kUserLabelSlots;
  if (profile.skinType == kTvSkin || profile.skinType == kVcrSkin) {
    profile.commandCount = mainPageCommands(profile.skinType) + kUserLabelSlots;
  } else {
    profile.commandCount = 0;
  }
}

void freeLearnedSlots(UserDeviceBuffers& buffers, DeviceCatalogue& catalogue) {
  for (int32_t device = 0; device < catalogue.userCount && device < kMaxUserDevices; ++device) {
    const auto row = static_cast<size_t>(device);
    for (size_t slot = 0; slot < kUserSignalSlots; ++slot) {
      buffers.signalRows[row][slot] = nullptr;
      buffers.signals[row][slot].reset();
    }
  }
}

}  // namespace zapvane
