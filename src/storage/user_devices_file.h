// The user-devices file: every user device with its name, skin, own timing
// adjustments, 27 learned signals and 10 labels.
//
// Threads: window thread only, while no worker uses the port.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/device_catalogue.h"
#include "platform/file_system.h"
#include "platform/messages.h"
#include "platform/status.h"
#include "catalogue/user_device_buffers.h"
#include "storage/user_devices_format.h"

namespace zapvane {

struct UserDevicesLoad {
  bool fromFile = false;
  Status readError = Status::ok();
  bool refused = false;          // the file could not be used: no user devices
  Status finding = Status::ok();  // a corruption, one line for the user, when the file was damaged
};

using BufferAllocator = bool (*)(UserDeviceBuffers&, int);

// Loads the devices from file bytes into reset records. A count outside
// 0..30, or buffers that cannot be allocated, refuse the whole file (no
// user devices; "Memory alloc error!!!" is shown for the latter). What a
// short file does not supply keeps its reset or freshly allocated value.
// REQUIRES: resetUserDevices has run on the catalogue.
UserDevicesLoad readUserDevices(DeviceCatalogue& catalogue, UserDeviceBuffers& buffers,
                                const std::vector<uint8_t>& bytes, MessageSink& messages,
                                BufferAllocator allocate = allocateUserDeviceBuffers);

std::vector<uint8_t> userDevicesBytes(const DeviceCatalogue& catalogue);

// What a load does with a file it refuses: a process that may save keeps it
// aside first; one that only reads leaves every file as it is.
enum class RefusedFile { keepAside, leave };

// A missing file means no user devices. A refused file is first renamed to
// remotes.usr.bad (or .bad.2 ...), so no later save can destroy what the
// user may still recover; the finding then names where it went.
UserDevicesLoad loadUserDevices(DeviceCatalogue& catalogue, UserDeviceBuffers& buffers, FileSystem& fs,
                                const std::string& path, MessageSink& messages,
                                BufferAllocator allocate = allocateUserDeviceBuffers,
                                RefusedFile refused = RefusedFile::keepAside);

Status saveUserDevices(const DeviceCatalogue& catalogue, FileSystem& fs, const std::string& path);

}  // namespace zapvane
