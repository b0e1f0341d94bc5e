#include "core/remote_core.h"

#include "platform/data_dir.h"
#include "platform/ports_config.h"
#include "storage/file_io.h"
#include "storage/settings_file.h"
#include "storage/user_devices_file.h"

namespace zapvane {

namespace {
constexpr int64_t kStaleTemporarySeconds = 60;
}  // namespace

void startCatalogue(RemoteCore& core) {
  fillBuiltInProfiles(core.catalogue.builtIn);
  resetUserDevices(core.catalogue);
  core.catalogue.userCount = 0;
  buildCatalogue(core.catalogue, core.current);
}

void startRemote(RemoteCore& core, const DataFiles& files, PulseTimer* timer, MessageSink& messages,
                 ProblemReporter& problems) {
  std::string dirError;
  if (!ensureDataDir(files.dir, dirError)) problems.notice(dirError);

  // Saves killed before their rename leave a temporary file each.
  for (const std::string* file : {&files.settings, &files.selection, &files.userDevices}) {
    removeStaleTemporaries(*file, kStaleTemporarySeconds);
  }

  fillBuiltInProfiles(core.catalogue.builtIn);
  resetUserDevices(core.catalogue);
  const UserDevicesLoad users = loadUserDevices(core.catalogue, core.buffers, files.userDevices, messages);
  if (!users.problem.empty()) problems.notice(users.problem);

  if (timer != nullptr) timer->calibrateTimer();

  const PortsConfig ports = loadPortsConfig(files.portsConfig);
  for (const std::string& warning : ports.warnings) problems.notice(files.portsConfig + ": " + warning);
  const SettingsLoad settings = loadSettings(core.settings, files.settings, ports.port);
  if (!settings.readError.isOk()) problems.notice(settings.readError.message() + "; using the default settings");
  problems.saveFailed(settings.saved);

  buildCatalogue(core.catalogue, core.current);

  const SelectionLoad selection = loadSelection(core.selection, files.selection, core.catalogue.catalogueCount);
  if (!selection.readError.isOk()) problems.notice(selection.readError.message() + "; starting with an empty selection");
  if (!selection.problem.empty()) problems.notice(selection.problem);
  restoreCurrentDevice(core.settings, core.selection, core.catalogue, core.current);
}

}  // namespace zapvane
