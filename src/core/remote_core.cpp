#include "core/remote_core.h"

namespace zapvane {

void startCatalogue(RemoteCore& core) {
  fillBuiltInProfiles(core.catalogue.builtIn);
  resetUserDevices(core.catalogue);
  core.catalogue.userCount = 0;
  buildCatalogue(core.catalogue, core.current);
}

}  // namespace zapvane
