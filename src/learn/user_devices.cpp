#include "learn/user_devices.h"

#include <algorithm>

#include "storage/selection_file.h"
#include "storage/user_device_buffers.h"
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

CreateResult createUserDevice(RemoteCore& core, const std::u16string& name, int32_t skinType) {
  DeviceCatalogue& catalogue = core.catalogue;
  if (catalogue.userCount >= kMaxUserDevices) return CreateResult::limit;
  if (name.empty()) return CreateResult::emptyName;
  const int32_t d = catalogue.userCount;
  if (!allocateUserDeviceBuffers(core.buffers, d)) return CreateResult::allocationFailed;
  DeviceProfile& device = catalogue.userDevices[static_cast<size_t>(d)];
  copyInto(device.name, cutToUnits(name, kMaxNameUnits));
  device.skinType = skinType == kVcrSkin ? kVcrSkin : kTvSkin;
  attachUserDeviceBuffers(device, core.buffers, d);
  core.learning.learningMode = true;
  core.learning.editedUserDevice = d;
  catalogue.userCount = d + 1;
  return CreateResult::created;
}

bool renameUserDevice(RemoteCore& core, int32_t device, const std::u16string& name) {
  if (name.empty()) return false;
  copyInto(core.catalogue.userDevices[static_cast<size_t>(device)].name, cutToUnits(name, kMaxNameUnits));
  core.learning.learningMode = true;
  return true;
}

void nameCommand(RemoteCore& core, const std::u16string& text) {
  const int32_t d = core.learning.editedUserDevice;
  const int32_t slot = core.learning.labelSlot;
  if (slot < 0 || slot >= kUserLabelSlots) return;
  char16_t* label = core.buffers.labelRows[static_cast<size_t>(d)][static_cast<size_t>(slot)];
  if (label != nullptr) copyInto(label, kLabelUnits, cutToUnits(text, kMaxLabelUnits));
}

void chooseLearnSlot(RemoteCore& core, int32_t hit, bool shiftPage, int32_t shiftCommand) {
  const DeviceProfile& device = *core.current.device.load();
  const int32_t firstShift = device.commandCount - device.labelCount;
  if (shiftPage) {
    core.learning.labelSlot = hit;
    core.learning.learnSlot = shiftCommand;
  } else {
    core.learning.learnSlot = hit;
    core.learning.labelSlot = hit >= firstShift ? hit - firstShift : 0;
  }
}

void endLearning(RemoteCore& core, const DataFiles& files, ProblemReporter& problems) {
  if (!core.learning.editingExisting) {
    const int32_t d = core.learning.editedUserDevice;
    const int32_t c = core.catalogue.catalogueCount;
    if (appendUserDevice(core.catalogue, d)) {
      SelectionList& list = core.selection;
      // A full list keeps its 100 entries; the device is still in the catalogue.
      if (list.selectionCount < selection_format::kMaxEntries) {
        list.entries[static_cast<size_t>(list.selectionCount)] = c;
        core.current.selectionPos = list.selectionCount;
        ++list.selectionCount;
      }
      core.current.catalogueIndex = c;
      core.current.device = core.catalogue.entries[static_cast<size_t>(c)];
      problems.saveFailed(saveSelection(list, files.selection));
    }
  }
  core.learning.learningMode = false;
  problems.saveFailed(saveUserDevices(core.catalogue, files.userDevices));
}

}  // namespace zapvane
