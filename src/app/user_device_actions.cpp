#include "app/user_device_actions.h"

#include <algorithm>

#include "storage/selection_file.h"
#include "catalogue/user_device_buffers.h"
#include "storage/user_devices_file.h"

namespace zapvane {

namespace {

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

template <size_t N>
void copyInto(std::array<char16_t, N>& buffer, const std::u16string& text) {
  buffer.fill(0);
  std::copy_n(text.begin(), std::min(text.size(), N - 1), buffer.begin());
}

void copyInto(char16_t* buffer, size_t units, const std::u16string& text) {
  std::fill_n(buffer, units, u'\0');
  std::copy_n(text.begin(), std::min(text.size(), units - 1), buffer);
}

}  // namespace

Message createRefusal(CreateResult result) {
  switch (result) {
    case CreateResult::limit: return {"User devices limit!!!", "Limit", MessageIcon::exclamation};
    case CreateResult::emptyName: return {"Enter device name!!!", "Error", MessageIcon::exclamation};
    case CreateResult::allocationFailed: return {"memory alloc error!!!", "Error", MessageIcon::exclamation};
    case CreateResult::created: break;
  }
  return {};
}

std::u16string cutToUnits(const std::u16string& text, size_t units) {
  if (text.size() <= units) return text;
  size_t cut = units;
  if (cut > 0 && isHighSurrogate(text[cut - 1])) --cut;  // half a character is no character
  return text.substr(0, cut);
}

CreateResult createUserDevice(Remote& remote, const std::u16string& name, int32_t skinType) {
  DeviceCatalogue& catalogue = remote.catalogue;
  if (catalogue.userCount >= kMaxUserDevices) return CreateResult::limit;
  if (name.empty()) return CreateResult::emptyName;
  const int32_t d = catalogue.userCount;
  if (!allocateUserDeviceBuffers(remote.buffers, d)) return CreateResult::allocationFailed;
  DeviceProfile& device = catalogue.userDevices[static_cast<size_t>(d)];
  copyInto(device.name, cutToUnits(name, kMaxNameUnits));
  device.skinType = skinType == kVcrSkin ? kVcrSkin : kTvSkin;
  attachUserDeviceBuffers(device, remote.buffers, d);
  remote.learning.learningMode = true;
  remote.learning.editedUserDevice = d;
  catalogue.userCount = d + 1;
  return CreateResult::created;
}

bool renameUserDevice(Remote& remote, int32_t device, const std::u16string& name) {
  if (name.empty()) return false;
  copyInto(remote.catalogue.userDevices[static_cast<size_t>(device)].name, cutToUnits(name, kMaxNameUnits));
  remote.learning.learningMode = true;
  return true;
}

void nameCommand(Remote& remote, const std::u16string& text) {
  const int32_t d = remote.learning.editedUserDevice;
  const int32_t slot = remote.learning.labelSlot;
  if (slot < 0 || slot >= kUserLabelSlots) return;
  char16_t* label = remote.buffers.labelRows[static_cast<size_t>(d)][static_cast<size_t>(slot)];
  if (label != nullptr) copyInto(label, kLabelUnits, cutToUnits(text, kMaxLabelUnits));
}

void chooseLearnSlot(Remote& remote, int32_t hit, bool shiftPage, int32_t shiftCommand) {
  const DeviceProfile& device = *remote.current.device.load();
  const int32_t firstShift = device.commandCount - device.labelCount;
  if (shiftPage) {
    remote.learning.labelSlot = hit;
    remote.learning.learnSlot = shiftCommand;
  } else {
    remote.learning.learnSlot = hit;
    remote.learning.labelSlot = hit >= firstShift ? hit - firstShift : 0;
  }
}

void endLearning(Remote& remote) {
  bool appended = false;
  if (!remote.learning.editingExisting) {
    const int32_t d = remote.learning.editedUserDevice;
    const int32_t c = remote.catalogue.catalogueCount;
    appended = appendUserDevice(remote.catalogue, d);
    if (appended) {
      SelectionList& list = remote.selection;
      // A full list keeps its 100 entries; the device is still in the catalogue.
      if (list.selectionCount < selection_format::kMaxEntries) {
        list.entries[static_cast<size_t>(list.selectionCount)] = c;
        remote.current.selectionPos = list.selectionCount;
        ++list.selectionCount;
      }
      remote.showDevice(c, remote.current.selectionPos);
    }
  }
  remote.learning.learningMode = false;
  // The device first: a selection saved without it would name a device no
  // file holds, while a device not yet selected is merely unselected.
  if (remote.saveUserDevicesFile() && appended) remote.saveSelectionFile();
}

}  // namespace zapvane
