#include "ui/remote_controller.h"

#include "ir/auto_adjust.h"
#include "learn/user_devices.h"
#include <algorithm>

#include "storage/settings_file.h"
#include "storage/user_device_buffers.h"

namespace zapvane {

namespace {

std::u16string zeroTerminated(const char16_t* text, size_t maxUnits) {
  std::u16string out;
  for (size_t i = 0; i < maxUnits && text[i] != 0; ++i) out += text[i];
  return out;
}

// A label buffer holds at most this many units; built-in labels are shorter.
constexpr size_t kLabelReadLimit = 64;

}  // namespace

Message learningRefusal() {
  return {"Can not access this function. You are in learning mode!!!", "Learning Mode", MessageIcon::stop};
}

WindowRect labelRect(int32_t slot) {
  const HotSpot& spot = shiftLayout.spotFor(slot);
  WindowRect r{};
  if (slot < 5) {
    r.left = spot.centreX + spot.width / 2 + 10;
    r.right = r.left + spot.width + 15;
  } else {
    r.left = 125;
    r.right = spot.centreX - spot.width / 2 - 10;
  }
  r.top = spot.centreY - spot.height / 2 + kYOffset;
  r.bottom = r.top + spot.height;
  return r;
}

bool RemoteController::selectionEmptyOutsideLearning() const {
  return parts_.core.selection.selectionCount == 0 && !parts_.core.learning.learningMode;
}

void RemoteController::penDown(uint16_t x, uint16_t y) {
  RemoteCore& core = parts_.core;
  WindowServices& window = parts_.window;
  if (selectionEmptyOutsideLearning()) {
    command(cmdSelectDevices);
    return;
  }
  if (core.autoAdjustActive && core.pen.buttonHeld) {
    endAutoAdjustByTap(core, parts_.idle, parts_.files, parts_.problems);
    window.repaintNow();
    return;
  }
  if (parts_.port.portBusy) return;

  const DeviceProfile& device = *core.current.device.load();
  const bool shiftPage = core.pen.shiftPage;
  const HitResult hit = hitTest(x, y, layoutFor(device.skinType, shiftPage), shiftPage, device, core.pen.shiftCommand);
  core.pen.shiftCommand = hit.shiftCommand;
  const int32_t r = hit.result;
  core.pen.pressedButton = r;

  if (core.learning.learningMode) {
    if (r == kHitPreviousDevice || r == kHitNextDevice) return;  // the device cannot change
    if (r >= 0) {
      // The highlight stays until the capture repaints.
      window.invertHotSpot(r);
      chooseLearnSlot(core, r, shiftPage, core.pen.shiftCommand);
      parts_.learnWorker.start();
      return;
    }
  }
  if (!shiftPage && r > device.commandCount - 1) return;

  if (r >= 0) {
    if (!commandExists(r, device, {shiftPage, core.pen.shiftCommand})) return;
    window.invertHotSpot(r);
    parts_.worker.start();  // sets buttonHeld
    window.sleepMilliseconds(kAfterStartPauseMs);
  } else if (r == kHitShiftToggle) {
    window.invertHotSpot(r);
    window.sleepMilliseconds(kSpecialButtonPauseMs);
    core.pen.shiftPage = !core.pen.shiftPage;
    window.repaintNow();
  } else {
    window.invertHotSpot(r);
    switchDevice(r == kHitPreviousDevice ? -1 : 1);
  }
}

void RemoteController::switchDevice(int32_t step) {
  RemoteCore& core = parts_.core;
  const int32_t count = core.selection.selectionCount;
  int32_t pos = core.current.selectionPos + step;
  if (pos < 0) pos = count - 1;
  if (pos > count - 1) pos = 0;
  const int32_t entry = core.selection.entries[static_cast<size_t>(std::clamp(pos, 0, selection_format::kMaxEntries - 1))];
  const int32_t index = entry >= 0 && entry < core.catalogue.catalogueCount ? entry : 0;
  core.current.selectionPos = pos;
  core.current.catalogueIndex = index;
  core.current.device = core.catalogue.entries[static_cast<size_t>(index)];
  core.settings.savedSelectionPos = pos;
  parts_.problems.saveFailed(saveSettings(core.settings, parts_.files.settings));
  parts_.window.sleepMilliseconds(kSpecialButtonPauseMs);
  parts_.window.repaintNow();
}

void RemoteController::penUp() {
  RemoteCore& core = parts_.core;
  if (selectionEmptyOutsideLearning()) return;
  if (!core.learning.learningMode && !core.autoAdjustActive) parts_.window.repaintNow();
  if (core.autoAdjustActive) return;
  core.pen.buttonHeld = false;
}

void RemoteController::command(int32_t id) {
  RemoteCore& core = parts_.core;
  WindowServices& window = parts_.window;
  if (core.autoAdjustActive) return;

  const bool refusable = id == cmdAbout || id == cmdExit || id == cmdSelectDevices || id == cmdSetupIrPort ||
                         id == cmdSound || id == cmdStartLearn;
  if (refusable && core.learning.learningMode) {
    window.show(learningRefusal());
    return;
  }
  switch (id) {
    case cmdAbout: window.runDialog(DialogId::about); break;
    case cmdExit: window.destroyWindow(); break;
    case cmdSelectDevices: window.runDialog(DialogId::selectDevices); break;
    case cmdSetupIrPort: window.runDialog(DialogId::setupIrPort); break;
    case cmdSound:
      core.settings.soundOn = core.settings.soundOn == 1 ? 0 : 1;
      parts_.problems.saveFailed(saveSettings(core.settings, parts_.files.settings));
      window.updateMenuStates();
      break;
    case cmdStartLearn: window.runDialog(DialogId::userDevices); break;
    case cmdStopLearn:
      if (!core.learning.learningMode) break;
      if (core.learning.captureRunning || parts_.learnWorker.running()) {
        // A capture that has heard nothing yet (or is still starting) may be
        // left: it reports back with command 20, which shows the Learn
        // function dialog.
        if (parts_.learnWorker.waitingForSignal()) parts_.learnWorker.abandon();
        break;
      }
      window.runDialog(DialogId::learnFunction);
      break;
    case cmdLearnDialog:
      core.current.device = &core.catalogue.userDevices[static_cast<size_t>(core.learning.editedUserDevice.load())];
      window.repaintNow();
      window.runDialog(DialogId::learnFunction);
      break;
    case cmdNameCommand:
      window.runDialog(DialogId::commandProperties);
      command(cmdLearnDialog);
      break;
    default: break;
  }
}

SkinView RemoteController::skinView() const {
  const RemoteCore& core = parts_.core;
  const DeviceProfile& device = *core.current.device.load();
  const bool shiftPage = core.pen.shiftPage;
  SkinView view{SkinView::tv, &tvLayout, false, {}, {}};
  if (selectionEmptyOutsideLearning()) return view;

  view.picture = shiftPage ? SkinView::shift : device.skinType == kVcrSkin ? SkinView::vcr : SkinView::tv;
  view.layout = &layoutFor(device.skinType, shiftPage);
  view.showName = true;
  view.name = zeroTerminated(device.name.data(), device.name.size());
  if (!shiftPage || device.labelTable == nullptr) return view;
  if (device.isLearned != 0) {
    for (int32_t k = 0; k < std::min(device.labelCount, kMaxLabels); ++k) {
      view.labels.emplace_back(k, zeroTerminated(device.labelTable[k], kLabelUnits));
    }
  } else if (device.codeTable != nullptr) {
    for (int32_t row = 0; row < device.commandCount; ++row) {
      const CommandRow entry = commandEntry(device, row);
      const int32_t slot = entry.shiftSlot();
      if (entry.onShiftPage() != 1 || slot < 0 || slot >= device.labelCount || slot >= kMaxLabels) continue;
      view.labels.emplace_back(slot, zeroTerminated(device.labelTable[slot], kLabelReadLimit));
    }
  }
  return view;
}

void RemoteController::shutdown() {
  RemoteCore& core = parts_.core;
  // The worker must be gone before its port and the signals it plays are.
  core.autoAdjustActive = false;
  core.pen.buttonHeld = false;
  parts_.worker.join();
  parts_.port.captureStop = true;  // a capture still listening ends, storing nothing
  parts_.learnWorker.join();
  parts_.port.closePort();
  freeLearnedSlots(core.buffers, core.catalogue);
  parts_.window.sleepMilliseconds(kShutdownPauseMs);
}

}  // namespace zapvane
