#include "app/data_files.h"

#include "platform/data_dir.h"
#include "storage/selection_format.h"
#include "storage/settings_format.h"
#include "storage/user_devices_format.h"

namespace zapvane {

DataFiles DataFiles::in(const std::string& dir) {
  return {dir,
          dataFile(dir, settings_format::kFileName),
          dataFile(dir, selection_format::kFileName),
          dataFile(dir, user_devices_format::kFileName),
          dataFile(dir, "ports.conf"),
          dataFile(dir, "ir-sim.log"),
          dataFile(dir, ".zapvane.lock")};
}

}  // namespace zapvane
