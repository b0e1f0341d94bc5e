// Export: a device's commands as the light our port sends for them, on a
// virtual clock (what `pulses` shows), named for the code files that carry
// them out to other tools.
//
// Threads: the command line's only thread.
#pragma once

#include <cstdint>
#include <vector>

#include "app/remote.h"
#include "ir/code_signal.h"
#include "platform/status.h"
#include "platform/virtual_platform.h"

namespace zapvane {

// The light of one frame of `command` of `device` with the adjustments in
// force, on the simulated port of `platform`, on which `remote` runs
// (every port simulated): microseconds, pulse first, rounded to the
// nearest; a last space only where the frame's last wait outlasts its light.
// REQUIRES: commandExists(command, device).
Status frameLight(Remote& remote, VirtualPlatform& platform, const DeviceProfile& device, int32_t command,
                  std::vector<int64_t>& light);

// Every present command of catalogue entry `index` at adjustments 0, named
// by commandName, in command order.
Status exportSignals(Remote& remote, VirtualPlatform& platform, int32_t index, std::vector<CodeSignal>& signals);

}  // namespace zapvane
