#include "app/settings_actions.h"

#include <algorithm>

#include "catalogue/text.h"
#include "storage/selection_file.h"
#include "storage/settings_file.h"
#include "storage/user_devices_file.h"

namespace zapvane {

namespace {

// Stores the pair where the current device takes its adjustments from. A
// user device carries its own, so its file is written here; the settings
// file follows in the caller together with the shown position.
void storeCurrentKind(Remote& remote, AdjustmentPair pair) {
  DeviceProfile& device = *remote.current.device.load();
  if (device.learned()) {
    device.spaceAdjust = pair.space;
    device.markAdjust = pair.mark;
    remote.saveUserDevicesFile();
  } else {
    remote.settings.spaceAdjust = pair.space;
    remote.settings.markAdjust = pair.mark;
  }
}

void saveSettingsWithPosition(Remote& remote) {
  remote.settings.savedSelectionPos = remote.current.selectionPos.load();
  remote.saveSettingsFile();
}

}  // namespace

std::vector<std::string> deviceListTexts(const DeviceCatalogue& catalogue) {
  std::vector<std::string> texts;
  texts.reserve(static_cast<size_t>(catalogue.catalogueCount));
  for (int32_t i = 0; i < catalogue.catalogueCount; ++i) {
    const DeviceProfile& device = *catalogue.entries[static_cast<size_t>(i)];
    const std::string name = utf16ToUtf8(device.name.data(), device.name.size());
    texts.push_back(device.learned() ? "* " + name : name);
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

void applyDeviceSelection(Remote& remote, std::vector<int32_t> rows) {
  const int32_t catalogueCount = remote.catalogue.catalogueCount;
  std::erase_if(rows, [catalogueCount](int32_t row) { return row < 0 || row >= catalogueCount; });
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  if (rows.size() > static_cast<size_t>(selection_format::kMaxEntries)) {
    rows.resize(static_cast<size_t>(selection_format::kMaxEntries));
  }

  SelectionList& selection = remote.selection;
  selection.selectionCount = static_cast<int32_t>(rows.size());
  std::copy(rows.begin(), rows.end(), selection.entries.begin());
  // An empty list leaves its first slot as it was; that slot may never have
  // held a catalogue index, so an index outside the catalogue shows entry 0.
  int32_t index = selection.entries[0];
  if (index < 0 || index >= catalogueCount) index = 0;
  remote.showDevice(index, 0);
  remote.saveSelectionFile();
}

AdjustmentPair currentKindAdjustments(const Remote& remote) {
  const DeviceProfile& device = *remote.current.device.load();
  if (device.learned()) return {device.spaceAdjust.load(), device.markAdjust.load()};
  return {remote.settings.spaceAdjust.load(), remote.settings.markAdjust.load()};
}

SetupValues setupInitialValues(const Remote& remote) {
  const int32_t port = remote.settings.port;
  const bool listed = port >= 0 && port < static_cast<int32_t>(kPortNames.size());
  return {listed ? port : kNoPortRow, currentKindAdjustments(remote)};
}

void applySetupOk(Remote& remote, const SetupValues& values) {
  // The port is stored as the list reports its row, a 16-bit signed value.
  remote.settings.port = static_cast<int16_t>(values.portRow);
  storeCurrentKind(remote, values.adjust);
  saveSettingsWithPosition(remote);
}

void applySetupDefault(Remote& remote) {
  storeCurrentKind(remote, {0, 0});
  saveSettingsWithPosition(remote);
}

}  // namespace zapvane
