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

// Both programs' --data-dir: "--data-dir DIR" or "--data-dir=DIR" at
// args[i]. Returns false when args[i] is another argument; otherwise sets
// `dir`, moves i onto the last word it took, and leaves an invalidArgument
// `status` when the directory is missing.
bool takeDataDirOption(const std::vector<std::string>& args, size_t& i, std::optional<std::string>& dir,
                       Status& status);

std::string dataFile(const std::string& dataDir, const std::string& name);

}  // namespace zapvane
