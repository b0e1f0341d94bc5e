// Where the settings, selection, user devices, ports.conf and the simulator's
// log live: --data-dir, else $ZAPVANE_DATA_DIR, else $XDG_DATA_HOME/zapvane,
// else ~/.local/share/zapvane.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/status.h"

namespace zapvane {

std::string resolveDataDir(const std::optional<std::string>& option);

std::string dataFile(const std::string& dataDir, const std::string& name);

}  // namespace zapvane
