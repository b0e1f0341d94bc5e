// The hot spots of the three skin pictures and the hit test that maps a pen
// position to a button: a special button (shift page, previous device, next
// device), a command of the device shown, or on the shift page a label slot
// that it also resolves to a command. Every tap maps to some button: inside
// a hot spot takes that one, anywhere else the nearest centre.
//
// Layout coordinates are pixels of the 240 x 270 skin pictures; the window
// shows them from picture row 3 (yOffset -3), so window row 0 is picture row 3.
//
// Threads: constant data; the hit test runs on the window thread.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

#include "catalogue/device_profile.h"

namespace zapvane {

inline constexpr int32_t kSkinWidth = 240;
inline constexpr int32_t kSkinHeight = 270;
inline constexpr int32_t kYOffset = -3;

inline constexpr int32_t kHitShiftToggle = -3;
inline constexpr int32_t kHitPreviousDevice = -2;
inline constexpr int32_t kHitNextDevice = -1;

inline constexpr int kNameBoxRecord = 1;

struct HotSpot {
  int32_t width, height, centreX, centreY;

  int32_t left() const { return centreX - width / 2; }
  int32_t top() const { return centreY - height / 2; }
  int32_t right() const { return left() + width; }
  int32_t bottom() const { return top() + height; }
};

// Record 0 is the header {recordCount, firstCommandRecord}; record 1 the name
// box; records 2..4 the shift toggle, previous and next device; record
// firstCommandRecord + k command k (on the shift page: label slot k).
struct SkinLayout {
  std::span<const HotSpot> records;

  int32_t recordCount() const { return records[0].width; }
  int32_t firstCommandRecord() const { return records[0].height; }
  const HotSpot& nameBox() const { return records[kNameBoxRecord]; }
  // The hot spot of hit-test result r (r >= -3).
  const HotSpot& spotFor(int32_t result) const {
    return records[static_cast<size_t>(firstCommandRecord() + result)];
  }
  int32_t commandSpots() const { return recordCount() - firstCommandRecord(); }
};

extern const SkinLayout tvLayout;
extern const SkinLayout vcrLayout;
extern const SkinLayout shiftLayout;

// The layout in force: the shift page's while it is shown, else the VCR
// skin's for skinType 1, else the TV skin's.
const SkinLayout& layoutFor(int32_t skinType, bool shiftPage);

struct HitResult {
  int32_t result;        // -3, -2, -1, a command index or (shift page) a label slot
  int32_t shiftCommand;  // on the shift page, the command the label slot stands for
};

// Maps window position (x, y) to a button of `layout` for the device shown.
// On the shift page only the device's labelCount label slots can be hit and
// shiftCommand is resolved; on the normal page it is returned unchanged.
HitResult hitTest(uint16_t x, uint16_t y, const SkinLayout& layout, bool shiftPage, const DeviceProfile& device,
                  int32_t shiftCommand);

// The window rectangle of result r: its hot spot moved up by the offset.
struct WindowRect {
  int32_t left, top, right, bottom;
};
WindowRect hotSpotWindowRect(const SkinLayout& layout, int32_t result);

}  // namespace zapvane
