#include "ui/settings_actions.h"

#include <algorithm>

#include "catalogue/text.h"
#include "storage/selection_file.h"
#include "storage/settings_file.h"
#include "storage/user_devices_file.h"

namespace zapvane {

namespace {

bool isUserDevice(const DeviceProfile& device) { return device.isLearned != 0; }

// Stores the pair where the current device takes its adjustments from. A
// user device carries its own, so its file is written here; the settings
// file follows in the caller together with the shown position.
void storeCurrentKind(RemoteCore& core, AdjustmentPair pair, const DataFiles& files, ProblemReporter& problems) {
  DeviceProfile& device = *core.current.device.load();
  if (isUserDevice(device)) {
    device.spaceAdjust = pair.space;
    device.markAdjust = pair.mark;
    problems.saveFailed(saveUserDevices(core.catalogue, files.userDevices));
  } else {
    core.settings.spaceAdjust = pair.space;
    core.settings.markAdjust = pair.mark;
  }
}

void saveSettingsWithPosition(RemoteCore& core, const DataFiles& files, ProblemReporter& problems) {
  core.settings.savedSelectionPos = core.current.selectionPos.load();
  problems.saveFailed(saveSettings(core.settings, files.settings));
}

}  // namespace

std::vector<std::string> deviceListTexts(const DeviceCatalogue& catalogue) {
  std::vector<std::string> texts;
  texts.reserve(static_cast<size_t>(catalogue.catalogueCount));
  for (int32_t i = 0; i < catalogue.catalogueCount; ++i) {
    const DeviceProfile& device = *catalogue.entries[static_cast<size_t>(i)];
    const std::string name = utf16ToUtf8(device.name.data(), device.name.size());
    texts.push_back(isUserDevice(device) ? "* " + name : name);
  }
  return texts;
}

std::vector<int32_t> preselectedRows(const SelectionList& selection, int32_t catalogueCount) {
  std::vector<int32_t> rows;
  const int32_t count = std::clamp(selection.selectionCount, 0, selection_format::kMaxEntries);
  for (int32_t i = 0; i < count; ++i) {
    const int32_t entry = selection.entries[static_cast<size_t>(i)];
    if (entry >= 0 && entry < catalogueCount) rows.push_back(entry);
  }
  return rows;
}

void applyDeviceSelection(RemoteCore& core, std::vector<int32_t> rows, const DataFiles& files,
                          ProblemReporter& problems) {
  const int32_t catalogueCount = core.catalogue.catalogueCount;
  std::erase_if(rows, [catalogueCount](int32_t row) { return row < 0 || row >= catalogueCount; });
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  if (rows.size() > static_cast<size_t>(selection_format::kMaxEntries)) {
    rows.resize(static_cast<size_t>(selection_format::kMaxEntries));
  }

  SelectionList& selection = core.selection;
  selection.selectionCount = static_cast<int32_t>(rows.size());
  std::copy(rows.begin(), rows.end(), selection.entries.begin());
  // An empty list leaves its first slot as it was; that slot may never have
  // held a catalogue index, so an index outside the catalogue shows entry 0.
  int32_t index = selection.entries[0];
  if (index < 0 || index >= catalogueCount) index = 0;
  core.current.selectionPos = 0;
  core.current.catalogueIndex = index;
  core.current.device = core.catalogue.entries[static_cast<size_t>(index)];
  problems.saveFailed(saveSelection(selection, files.selection));
}

AdjustmentPair currentKindAdjustments(const RemoteCore& core) {
  const DeviceProfile& device = *core.current.device.load();
  if (isUserDevice(device)) return {device.spaceAdjust.load(), device.markAdjust.load()};
  return {core.settings.spaceAdjust.load(), core.settings.markAdjust.load()};
}

SetupValues setupInitialValues(const RemoteCore& core) {
  const int32_t port = core.settings.port;
  const bool listed = port >= 0 && port < static_cast<int32_t>(kPortNames.size());
  return {listed ? port : kNoPortRow, currentKindAdjustments(core)};
}

void applySetupOk(RemoteCore& core, const SetupValues& values, const DataFiles& files, ProblemReporter& problems) {
  // The port is stored as the list reports its row, a 16-bit signed value.
  core.settings.port = static_cast<int16_t>(values.portRow);
  storeCurrentKind(core, values.adjust, files, problems);
  saveSettingsWithPosition(core, files, problems);
}

void applySetupDefault(RemoteCore& core, const DataFiles& files, ProblemReporter& problems) {
  storeCurrentKind(core, {0, 0}, files, problems);
  saveSettingsWithPosition(core, files, problems);
}

}  // namespace zapvane
