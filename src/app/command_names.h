// Names for commands: one table of the skins' main-page buttons (Power,
// the digits, Vol_up, Ch_next, Play, ... as shared code files spell them)
// serves listing a device's commands, finding a command by name, and
// placing a code file's signals on the buttons they mean. Shift-page
// commands go by their labels.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/device_profile.h"
#include "platform/status.h"

namespace zapvane {

// Command `command` of `device` by name: its main-page button's name, or its
// label; an unnamed shift-page command is called after its key on the shift
// page (F1..F9, F0). REQUIRES: 0 <= command < device.commandCount.
std::string commandName(const DeviceProfile& device, int32_t command);

// A command given as an index (digits, perhaps after a '-': an index, even
// where a command is named so, as the TV skin's digit buttons are) or as a
// name matched exactly, ignoring case. invalidArgument for a malformed index or a name
// the device does not have; an index is not range-checked here.
Status resolveCommand(const DeviceProfile& device, const std::string& text, int32_t& command);

// The main-page command on `skinType` that a code file's signal called
// `name` stands for (case and '_', ' ' ignored; "VOL+", "CH-", "POWER"
// and the like understood), or -1.
int32_t buttonForSignalName(std::string_view name, int32_t skinType);

// The skin that suits signals of these names: VCR when more of them mean a
// button only the VCR skin has than one only the TV skin has.
int32_t skinForSignalNames(const std::vector<std::string>& names);

}  // namespace zapvane
