#include "app/skin_layouts.h"

#include "catalogue/device_catalogue.h"

namespace zapvane {

namespace {

// {width, height, centreX, centreY}
constexpr std::array<HotSpot, 22> kTvRecords{{
    {22, 5, 0, 0},        // header
    {122, 32, 92, 23},    // name box
    {112, 34, 120, 230},  // SHIFT
    {24, 34, 16, 23},     // previous device
    {24, 34, 168, 23},    // next device
    {40, 40, 30, 70},     // 1
    {40, 40, 75, 70},     // 2
    {40, 40, 120, 70},    // 3
    {40, 40, 165, 70},    // 4
    {40, 40, 210, 70},    // 5
    {40, 40, 30, 120},    // 6
    {40, 40, 75, 120},    // 7
    {40, 40, 120, 120},   // 8
    {40, 40, 165, 120},   // 9
    {40, 40, 210, 120},   // 0
    {28, 28, 210, 25},    // power
    {40, 40, 210, 170},   // programme up
    {40, 40, 150, 170},   // programme down
    {40, 40, 100, 170},   // volume up
    {40, 40, 30, 170},    // volume down
    {40, 40, 30, 230},    // mute
    {40, 40, 210, 230},   // -/--
}};

constexpr std::array<HotSpot, 21> kVcrRecords{{
    {21, 5, 0, 0},       // header
    {122, 32, 92, 23},   // name box
    {70, 28, 193, 246},  // SHIFT
    {24, 34, 16, 23},    // previous device
    {24, 34, 168, 23},   // next device
    {28, 28, 210, 25},   // power
    {40, 40, 210, 70},   // programme up
    {40, 40, 150, 70},   // programme down
    {40, 40, 100, 70},   // volume up
    {40, 40, 30, 70},    // volume down
    {40, 40, 175, 130},  // play
    {40, 40, 175, 200},  // stop
    {40, 40, 210, 165},  // fast forward
    {40, 40, 140, 165},  // rewind
    {40, 40, 80, 130},   // skip forward
    {40, 40, 30, 130},   // skip back
    {40, 40, 80, 180},   // pause
    {40, 40, 30, 180},   // record
    {40, 40, 30, 240},   // F1
    {40, 40, 80, 240},   // F2
    {40, 40, 130, 240},  // F3
}};

constexpr std::array<HotSpot, 15> kShiftRecords{{
    {15, 5, 0, 0},       // header
    {122, 32, 92, 23},   // name box
    {54, 28, 210, 23},   // Shift
    {24, 34, 16, 23},    // previous device
    {24, 34, 168, 23},   // next device
    {40, 40, 30, 70},    // F1, label slot 0
    {40, 40, 30, 112},   // F2
    {40, 40, 30, 154},   // F3
    {40, 40, 30, 196},   // F4
    {40, 40, 30, 238},   // F5
    {40, 40, 210, 70},   // F6, label slot 5
    {40, 40, 210, 112},  // F7
    {40, 40, 210, 154},  // F8
    {40, 40, 210, 196},  // F9
    {40, 40, 210, 238},  // F0
}};

constexpr int kFirstCandidateRecord = 2;
constexpr int64_t kFarther = 1'000'000;  // beyond every squared distance on the picture

bool strictlyInside(const HotSpot& spot, int32_t x, int32_t y) {
  return spot.left() < x && x < spot.right() && spot.top() < y && y < spot.bottom();
}

int32_t resolveShiftCommand(int32_t slot, const DeviceProfile& device) {
  if (slot < 0) return 0;
  if (device.learned()) return slot + device.commandCount - device.labelCount;
  int32_t command = 0;
  if (device.codeTable == nullptr) return command;
  for (int32_t row = 0; row < device.commandCount; ++row) {
    const CommandRow entry = commandEntry(device, row);
    if (entry.onShiftPage() == 1 && entry.shiftSlot() == slot) command = row;  // the last match wins
  }
  return command;
}

}  // namespace

const SkinLayout tvLayout{kTvRecords};
const SkinLayout vcrLayout{kVcrRecords};
const SkinLayout shiftLayout{kShiftRecords};

const SkinLayout& layoutFor(int32_t skinType, bool shiftPage) {
  if (shiftPage) return shiftLayout;
  return skinType == kVcrSkin ? vcrLayout : tvLayout;
}

HitResult hitTest(uint16_t x16, uint16_t y16, const SkinLayout& layout, bool shiftPage, const DeviceProfile& device,
                  int32_t shiftCommand) {
  const int32_t x = x16;
  const int32_t y = int32_t{y16} - kYOffset;
  // On the shift page only the device's own labels are candidates; a damaged
  // labelCount cannot reach past the layout.
  const int32_t labels = std::clamp(device.labelCount, 0, layout.commandSpots());
  const int32_t candidates = shiftPage ? labels + 3 : layout.commandSpots() + 3;

  int32_t result = -4;
  if (!shiftPage) {
    for (int32_t p = 0; p < candidates && result == -4; ++p) {
      if (strictlyInside(layout.records[static_cast<size_t>(kFirstCandidateRecord + p)], x, y)) result = p - 3;
    }
  }
  if (result == -4) {
    int64_t best = kFarther;
    for (int32_t p = 0; p < candidates; ++p) {
      const HotSpot& spot = layout.records[static_cast<size_t>(kFirstCandidateRecord + p)];
      const int64_t dx = x - spot.centreX;
      const int64_t dy = y - spot.centreY;
      const int64_t d = dx * dx + dy * dy;
      if (d < best) {
        best = d;
        result = p - 3;
      }
    }
  }
  // Far outside the picture (a window larger than the skin) no centre is
  // within the limit; the first special is as good a button as any.
  if (result == -4) result = kHitShiftToggle;
  if (shiftPage) shiftCommand = resolveShiftCommand(result, device);
  return {result, shiftCommand};
}

WindowRect hotSpotWindowRect(const SkinLayout& layout, int32_t result) {
  const HotSpot& spot = layout.spotFor(result);
  return {spot.left(), spot.top() + kYOffset, spot.right(), spot.bottom() + kYOffset};
}

}  // namespace zapvane
