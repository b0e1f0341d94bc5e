// The settings file: defaults, load and save of IrSettings.
//
// Threads: window thread only (workers just read the record's atomics).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/ir_settings.h"
#include "platform/file_system.h"
#include "platform/status.h"

namespace zapvane {

// port = configuredPort - 1 when the transceiver's port is configured (the
// Port= line of ports.conf), else 0; adjustments and position 0, sound on.
void setDefaultSettings(IrSettings& settings, std::optional<int32_t> configuredPort);

// Fills the leading fields the bytes supply (a short file leaves the rest as
// they were); bytes past the record are ignored.
void readSettingsRecord(IrSettings& settings, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> settingsRecordBytes(const IrSettings& settings);

struct SettingsLoad {
  bool fromFile = false;       // false: defaults are in force
  Status saved = Status::ok();  // the save of the defaults, when the file was missing
  Status readError = Status::ok();
};

// A missing file gives the defaults, written at once unless another process
// creates the file first (then its settings are read). A file that exists
// but cannot be read gives the defaults in memory and is left alone.
SettingsLoad loadSettings(IrSettings& settings, FileSystem& fs, const std::string& path,
                          std::optional<int32_t> configuredPort);
Status saveSettings(const IrSettings& settings, FileSystem& fs, const std::string& path);

}  // namespace zapvane
