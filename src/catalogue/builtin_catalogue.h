// The built-in half of the catalogue: fills the 38 built-in profiles from the
// constant sources of builtin_catalogue_data.h.
#pragma once

#include <array>

#include "catalogue/device_profile.h"

namespace zapvane {

inline constexpr int kBuiltInCount = 38;

// Writes name, timing, codeBits, commandCount, codeTable, labelTable,
// labelCount, frameGap and skinType of every built-in record and zeroes the
// rest. The tables point into constant data that lives as long as the program.
void fillBuiltInProfiles(std::array<DeviceProfile, kBuiltInCount>& profiles);

}  // namespace zapvane
