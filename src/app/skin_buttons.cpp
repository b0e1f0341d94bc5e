#include "app/skin_buttons.h"

#include <algorithm>
#include <cstring>

#include "app/remote.h"

namespace zapvane {

namespace {

using B = SkinButton;

constexpr DrawnButton kTvButtons[] = {
    {B::shift, kHitShiftToggle, "Shift page"}, {B::previousDevice, kHitPreviousDevice, "Previous device"},
    {B::nextDevice, kHitNextDevice, "Next device"},
    {B::digit1, 0, "1"}, {B::digit2, 1, "2"}, {B::digit3, 2, "3"}, {B::digit4, 3, "4"}, {B::digit5, 4, "5"},
    {B::digit6, 5, "6"}, {B::digit7, 6, "7"}, {B::digit8, 7, "8"}, {B::digit9, 8, "9"}, {B::digit0, 9, "0"},
    {B::power, 10, "Power"}, {B::programmeUp, 11, "Programme up"}, {B::programmeDown, 12, "Programme down"},
    {B::volumeUp, 13, "Volume up"}, {B::volumeDown, 14, "Volume down"}, {B::mute, 15, "Mute"}, {B::dash, 16, "-/--"},
};

constexpr DrawnButton kVcrButtons[] = {
    {B::shift, kHitShiftToggle, "Shift page"}, {B::previousDevice, kHitPreviousDevice, "Previous device"},
    {B::nextDevice, kHitNextDevice, "Next device"},
    {B::power, 0, "Power"}, {B::programmeUp, 1, "Programme up"}, {B::programmeDown, 2, "Programme down"},
    {B::volumeUp, 3, "Volume up"}, {B::volumeDown, 4, "Volume down"}, {B::play, 5, "Play"}, {B::stop, 6, "Stop"},
    {B::fastForward, 7, "Fast forward"}, {B::rewind, 8, "Rewind"}, {B::skipForward, 9, "Skip forward"},
    {B::skipBack, 10, "Skip back"}, {B::pause, 11, "Pause"}, {B::record, 12, "Record"},
    {B::f1, 13, "F1"}, {B::f2, 14, "F2"}, {B::f3, 15, "F3"},
};

constexpr DrawnButton kShiftButtons[] = {
    {B::shift, kHitShiftToggle, "Shift page"}, {B::previousDevice, kHitPreviousDevice, "Previous device"},
    {B::nextDevice, kHitNextDevice, "Next device"},
    {B::f1, 0, "F1"}, {B::f2, 1, "F2"}, {B::f3, 2, "F3"}, {B::f4, 3, "F4"}, {B::f5, 4, "F5"},
    {B::f6, 5, "F6"}, {B::f7, 6, "F7"}, {B::f8, 7, "F8"}, {B::f9, 8, "F9"}, {B::f0, 9, "F0"},
};

struct Centre {
  uint16_t x, y;
};

Centre centreOf(const SkinLayout& layout, int32_t result) {
  const HotSpot& spot = layout.spotFor(result);
  return {static_cast<uint16_t>(spot.centreX), static_cast<uint16_t>(spot.centreY + kYOffset)};
}

// What a tap on the button's centre hits; not the button itself where the
// shift page leaves it out of reach.
HitResult tapOnCentre(const Remote& remote, const SkinLayout& layout, int32_t result) {
  const Centre at = centreOf(layout, result);
  return hitTest(at.x, at.y, layout, &layout == &shiftLayout, *remote.current.device.load(),
                 remote.pen.shiftCommand);
}

std::u16string boundedText(const char16_t* text, size_t maxUnits) {
  return std::u16string(text, std::find(text, text + maxUnits, u'\0'));
}

// The label of command `result` of the normal page, where it has one (the
// VCR skin's F1 to F3 are shift-page commands).
std::u16string commandLabel(const DeviceProfile& device, int32_t result) {
  if (device.labelTable == nullptr || result >= device.commandCount) return {};
  int32_t slot = -1;
  if (device.learned()) {
    slot = result - (device.commandCount - device.labelCount);
  } else if (device.codeTable != nullptr && commandEntry(device, result).onShiftPage() == 1) {
    slot = commandEntry(device, result).shiftSlot();
  }
  if (slot < 0 || slot >= std::min(device.labelCount, kMaxLabels)) return {};
  return boundedText(device.labelTable[slot], kLabelUnits);
}

std::u16string labelOf(const SkinView& view, const DeviceProfile& device, int32_t result) {
  if (result < 0) return {};
  if (view.picture != SkinView::shift) return commandLabel(device, result);
  for (const auto& [slot, text] : view.labels) {
    if (slot == result) return text;
  }
  return {};
}

}  // namespace

std::span<const DrawnButton> drawnButtons(const SkinLayout& layout) {
  if (&layout == &shiftLayout) return kShiftButtons;
  if (&layout == &vcrLayout) return kVcrButtons;
  return kTvButtons;
}

bool pressSkinButton(Remote& remote, SkinButton button) {
  const SkinLayout& layout = *remote.skinView().layout;
  const auto drawn = std::find_if(drawnButtons(layout).begin(), drawnButtons(layout).end(),
                                  [button](const DrawnButton& b) { return b.button == button; });
  if (drawn == drawnButtons(layout).end() || tapOnCentre(remote, layout, drawn->result).result != drawn->result) {
    return false;
  }
  const Centre at = centreOf(layout, drawn->result);
  remote.penDown(at.x, at.y);
  return true;
}

std::vector<NamedButton> namedButtons(const Remote& remote) {
  const SkinView view = remote.skinView();
  std::vector<NamedButton> out;
  if (!view.showName) return out;
  const DeviceProfile& device = *remote.current.device.load();
  const bool shiftPage = view.picture == SkinView::shift;
  const bool learning = remote.learning.learningMode;
  for (const DrawnButton& drawn : drawnButtons(*view.layout)) {
    const int32_t r = drawn.result;
    const HitResult hit = tapOnCentre(remote, *view.layout, r);
    if (hit.result != r) continue;
    // In learning mode every command can be learned, and the device cannot change.
    const bool available =
        r < 0 ? !learning || r == kHitShiftToggle
              : learning || ((shiftPage || r < device.commandCount) &&
                             commandExists(r, device, {shiftPage, hit.shiftCommand}));
    std::u16string what = labelOf(view, device, r);
    if (what.empty()) what.assign(drawn.artwork, drawn.artwork + std::strlen(drawn.artwork));
    out.push_back({r, hotSpotWindowRect(*view.layout, r), view.name + u": " + what, available});
  }
  return out;
}

}  // namespace zapvane
