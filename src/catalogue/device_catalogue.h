// DeviceCatalogue: every profile the program knows, in catalogue order: the
// 38 built-in devices at indices 0..37, then the user devices in use. A
// device is known everywhere by its catalogue index (selection file, dialogs).
//
// The catalogue owns all profile records; entries only refer to them, so
// references stay valid for the life of the catalogue. Entries are appended,
// never removed or reordered.
//
// Threads: built and extended on the window thread; the transmit and learn
// workers read profiles without locks (see device_profile.h).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "catalogue/builtin_catalogue.h"
#include "catalogue/device_profile.h"

namespace zapvane {

inline constexpr int kMaxUserDevices = 30;
inline constexpr int kCatalogueCapacity = kBuiltInCount + kMaxUserDevices;
inline constexpr int32_t kUserFrameGap = 150000;  // microseconds between repetitions of a learned command

struct DeviceCatalogue {
  std::array<DeviceProfile, kBuiltInCount> builtIn;
  std::array<DeviceProfile, kMaxUserDevices> userDevices;
  int32_t userCount = 0;
  std::array<DeviceProfile*, kCatalogueCapacity> entries{};
  int32_t catalogueCount = 0;
};

// The device the skin shows and the workers send with. The window thread
// switches it; workers read it, so each word is atomic.
struct CurrentDevice {
  std::atomic<DeviceProfile*> device{nullptr};
  std::atomic<int32_t> catalogueIndex{0};
  std::atomic<int32_t> selectionPos{0};
};

// Which page of the skin is shown; on the shift page the hit test has chosen
// shiftCommand and the tapped index itself is not used.
struct PageState {
  bool shiftPage = false;
  int32_t shiftCommand = 0;
};

// Resets the 30 user-device records: empty name, userIndex = position, no
// tables, frameGap 150000, TV skin, isLearned 1, adjustments 0. userCount is
// left to the user-devices loader that follows at start-up.
void resetUserDevices(DeviceCatalogue& catalogue);

// Fills entries 0..37 and one per user device in use, sets catalogueCount and
// makes entry 0 the current device at selection position 0.
// REQUIRES: 0 <= catalogue.userCount <= kMaxUserDevices.
void buildCatalogue(DeviceCatalogue& catalogue, CurrentDevice& current);

// The catalogue alone, with no files: built-in profiles filled, no user
// devices, entry 0 shown.
void startCatalogue(DeviceCatalogue& catalogue, CurrentDevice& current);
// Appends user device `userIndex` (just created) as the next catalogue entry.
// Returns false, changing nothing, when the catalogue is full or the index
// is not a user device in use.
bool appendUserDevice(DeviceCatalogue& catalogue, int32_t userIndex);

// The code-table row of a built-in command.
// REQUIRES: profile has a code table and 0 <= index < profile.commandCount.
CommandRow commandEntry(const DeviceProfile& profile, int32_t index);

// Whether a tap on command hot spot `index` has anything to send.
bool commandExists(int32_t index, const DeviceProfile& profile, PageState page = {});

// The learned signal of a user device's command, or nullptr when the slot is
// missing.
const LearnedSignal* learnedSlot(const DeviceProfile& profile, int32_t index);

}  // namespace zapvane
