#include "catalogue/device_catalogue.h"

namespace zapvane {

void resetUserDevices(DeviceCatalogue& catalogue) {
  for (int i = 0; i < kMaxUserDevices; ++i) {
    DeviceProfile& p = catalogue.userDevices[static_cast<size_t>(i)];
    p.name.fill(0);
    p.userIndex = i;
    p.timing = {};
    p.commandCount = 0;
    p.codeTable = nullptr;
    p.labelTable = nullptr;
    p.labelCount = 0;
    p.frameGap = kUserFrameGap;
    p.skinType = kTvSkin;
    p.isLearned = 1;
    p.learnedSlots = nullptr;
    p.spaceAdjust = 0;
    p.markAdjust = 0;
  }
}

void startCatalogue(DeviceCatalogue& catalogue, CurrentDevice& current) {
  fillBuiltInProfiles(catalogue.builtIn);
  resetUserDevices(catalogue);
  catalogue.userCount = 0;
  buildCatalogue(catalogue, current);
}

void buildCatalogue(DeviceCatalogue& catalogue, CurrentDevice& current) {
  int32_t count = 0;
  for (DeviceProfile& p : catalogue.builtIn) catalogue.entries[static_cast<size_t>(count++)] = &p;
  for (int32_t i = 0; i < catalogue.userCount; ++i) {
    catalogue.entries[static_cast<size_t>(count++)] = &catalogue.userDevices[static_cast<size_t>(i)];
  }
  catalogue.catalogueCount = count;
  current.device = catalogue.entries[0];
  current.catalogueIndex = 0;
  current.selectionPos = 0;
}

bool appendUserDevice(DeviceCatalogue& catalogue, int32_t userIndex) {
  if (catalogue.catalogueCount >= kCatalogueCapacity) return false;
  if (userIndex < 0 || userIndex >= catalogue.userCount) return false;
  catalogue.entries[static_cast<size_t>(catalogue.catalogueCount)] =
      &catalogue.userDevices[static_cast<size_t>(userIndex)];
  ++catalogue.catalogueCount;
  return true;
}

CommandRow commandEntry(const DeviceProfile& profile, int32_t index) {
  const int width = rowWidth(profile.timing.codeBits);
  return CommandRow(profile.codeTable + static_cast<ptrdiff_t>(index) * width, width);
}

const LearnedSignal* learnedSlot(const DeviceProfile& profile, int32_t index) {
  if (profile.learnedSlots == nullptr || index < 0 || index >= kUserSignalSlots) return nullptr;
  return profile.learnedSlots[index];
}

namespace {

bool learnedCommandExists(const DeviceProfile& profile, int32_t index) {
  const LearnedSignal* signal = learnedSlot(profile, index);
  return signal != nullptr && !signal->empty();
}

}  // namespace

bool commandExists(int32_t index, const DeviceProfile& profile, PageState page) {
  if (page.shiftPage) {
    const int32_t command = page.shiftCommand;
    if (command >= profile.commandCount || command < 0) return false;
    if (profile.learned()) return learnedCommandExists(profile, command);
    return true;  // every built-in shift-page row carries a code
  }
  // A negative index would read before the table; no hot spot produces one.
  if (index < 0 || index > profile.commandCount - 1) return false;
  if (profile.learned()) return learnedCommandExists(profile, index);
  if (profile.codeTable == nullptr) return false;
  return !commandEntry(profile, index).absent();
}

}  // namespace zapvane
