// Writes the seed corpus of the loader fuzzers: files as the program itself
// saves them, from a fresh install to thirty learned devices.
//   make_seeds <corpus-dir>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "catalogue/device_catalogue.h"
#include "catalogue/user_device_buffers.h"
#include "platform/real_file_system.h"
#include "storage/selection_file.h"
#include "storage/settings_file.h"
#include "storage/user_devices_file.h"

namespace {

using namespace zapvane;

// The catalogue with the user devices' buffers, as the program holds them.
struct UserDevices {
  UserDevices() { startCatalogue(catalogue, current); }
  DeviceCatalogue catalogue;
  UserDeviceBuffers buffers;
  CurrentDevice current;
};

void addDevice(UserDevices& users, int index, const std::u16string& name, int32_t skin) {
  DeviceProfile& device = users.catalogue.userDevices[static_cast<size_t>(index)];
  allocateUserDeviceBuffers(users.buffers, index);
  device.skinType = skin;
  for (size_t i = 0; i < name.size() && i + 1 < device.name.size(); ++i) device.name[i] = name[i];
  device.spaceAdjust = index % 11 - 5;
  device.markAdjust = 5 - index % 11;
  attachUserDeviceBuffers(device, users.buffers, index);
  // A NEC-like learned command and a labelled shift-page slot.
  LearnedSignal& signal = *users.buffers.signalRows[static_cast<size_t>(index)][0];
  const int32_t pairs[][2] = {{9000, 4500}, {660, 560}, {660, 1690}, {660, 40000}};
  int word = 0;
  for (const auto& pair : pairs) {
    signal.words[static_cast<size_t>(word++)] = pair[0];
    signal.words[static_cast<size_t>(word++)] = pair[1];
  }
  signal.words[static_cast<size_t>(word++)] = -1;
  signal.words[static_cast<size_t>(word)] = -1;
  const std::u16string label = u"Input";
  for (size_t i = 0; i < label.size(); ++i) users.buffers.labelRows[static_cast<size_t>(index)][0][i] = label[i];
  users.catalogue.userCount = index + 1;
}

bool write(const Status& status, const std::string& path) {
  if (!status.isOk()) std::fprintf(stderr, "make_seeds: %s\n", status.message().c_str());
  else std::printf("%s\n", path.c_str());
  return status.isOk();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds <corpus-dir>\n");
    return 2;
  }
  const std::filesystem::path root(argv[1]);
  for (const char* dir : {"settings", "selection", "user_devices"}) std::filesystem::create_directories(root / dir);
  bool ok = true;
  RealFileSystem disk;

  IrSettings settings;
  setDefaultSettings(settings, 3);
  ok &= write(saveSettings(settings, disk, (root / "settings/defaults.set").string()), "settings/defaults.set");
  settings.spaceAdjust = -5;
  settings.markAdjust = 5;
  settings.savedSelectionPos = 2;
  settings.soundOn = 2;
  ok &= write(saveSettings(settings, disk, (root / "settings/adjusted.set").string()), "settings/adjusted.set");

  SelectionList list;
  ok &= write(saveSelection(list, disk, (root / "selection/empty.sel").string()), "selection/empty.sel");
  for (int32_t index : {0, 5, 40}) list.entries[static_cast<size_t>(list.selectionCount++)] = index;
  ok &= write(saveSelection(list, disk, (root / "selection/three.sel").string()), "selection/three.sel");

  const auto users = std::make_unique<UserDevices>();
  ok &= write(saveUserDevices(users->catalogue, disk, (root / "user_devices/none.usr").string()), "user_devices/none.usr");
  addDevice(*users, 0, u"Living room TV", kTvSkin);
  addDevice(*users, 1, u"Hi-fi \u00e9t\u00e9", kVcrSkin);
  ok &= write(saveUserDevices(users->catalogue, disk, (root / "user_devices/two.usr").string()), "user_devices/two.usr");
  return ok ? 0 : 1;
}
