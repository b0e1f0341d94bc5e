// Where the settings, selection, user devices, ports.conf and the simulator's
// log live: --data-dir, else $ZAPVANE_DATA_DIR, else $XDG_DATA_HOME/zapvane,
// else ~/.local/share/zapvane.
#pragma once

#include <optional>
#include <string>

namespace zapvane {

std::string resolveDataDir(const std::optional<std::string>& option);

// Creates the directory (and its parents) if missing. False with a reason
// when it cannot be made or is not a directory.
bool ensureDataDir(const std::string& path, std::string& error);

std::string dataFile(const std::string& dataDir, const std::string& name);

}  // namespace zapvane
