#include "app/user_device_deletion.h"

#include <algorithm>

namespace zapvane {

namespace {

// Moves what user device `from` holds into `to`'s record and buffers; both
// rows are allocated, as every device in use has its buffers.
void moveUserDevice(Remote& remote, int32_t from, int32_t to) {
  DeviceProfile& source = remote.catalogue.userDevices[static_cast<size_t>(from)];
  DeviceProfile& target = remote.catalogue.userDevices[static_cast<size_t>(to)];
  target.name = source.name;
  target.isLearned = source.isLearned;
  target.skinType = source.skinType;
  target.spaceAdjust = source.spaceAdjust.load();
  target.markAdjust = source.markAdjust.load();
  for (size_t slot = 0; slot < kUserSignalSlots; ++slot) {
    *remote.buffers.signalRows[static_cast<size_t>(to)][slot] = *remote.buffers.signalRows[static_cast<size_t>(from)][slot];
  }
  for (size_t slot = 0; slot < kUserLabelSlots; ++slot) {
    std::copy_n(remote.buffers.labelRows[static_cast<size_t>(from)][slot], kLabelUnits,
                remote.buffers.labelRows[static_cast<size_t>(to)][slot]);
  }
  attachUserDeviceBuffers(target, remote.buffers, to);
}

}  // namespace

void removeFromSelection(SelectionList& list, int32_t& savedPos, int32_t catalogueIndex) {
  int32_t kept = 0;
  int32_t newPos = 0;
  for (int32_t i = 0; i < list.selectionCount; ++i) {
    const int32_t entry = list.entries[static_cast<size_t>(i)];
    if (entry == catalogueIndex) continue;
    if (i == savedPos) newPos = kept;
    list.entries[static_cast<size_t>(kept++)] = entry > catalogueIndex ? entry - 1 : entry;
  }
  list.selectionCount = kept;
  savedPos = newPos;
}

bool deleteUserDevice(Remote& remote, int32_t user) {
  DeviceCatalogue& catalogue = remote.catalogue;
  for (int32_t d = user; d + 1 < catalogue.userCount; ++d) moveUserDevice(remote, d + 1, d);
  --catalogue.userCount;
  buildCatalogue(catalogue, remote.current);

  const SelectionList selectionBefore = remote.selection;
  const int32_t before = remote.settings.savedSelectionPos;
  int32_t pos = before;
  removeFromSelection(remote.selection, pos, kBuiltInCount + user);
  remote.settings.savedSelectionPos = pos;
  remote.showSavedDevice();
  if (!remote.saveSelectionFile()) return false;
  if (!remote.saveUserDevicesFile()) {
    // The device is still in its file: put back the selection that names it.
    remote.selection = selectionBefore;
    remote.saveSelectionFile();
    return false;
  }
  return pos == before || remote.saveSettingsFile();
}

}  // namespace zapvane
