#include "app/pen_and_menu.h"

#include <algorithm>

#include "app/auto_adjust_actions.h"
#include "app/remote.h"
#include "app/user_device_actions.h"
#include "catalogue/user_device_buffers.h"
#include "learn/sample_capture.h"

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

bool Remote::selectionEmptyOutsideLearning() const {
  return selection.selectionCount == 0 && !learning.learningMode;
}

void Remote::penDown(uint16_t x, uint16_t y) {
  WindowServices& window = attached_;
  if (selectionEmptyOutsideLearning()) {
    // Armed with nothing to send, auto adjust would never start, give up or
    // let a command through: this tap disarms it, storing nothing.
    if (autoAdjustActive) disarmAutoAdjust(*this);
    command(MenuCommand::selectDevices);
    return;
  }
  if (autoAdjustActive && pen.buttonHeld) {
    endAutoAdjustByTap(*this);
    window.repaintNow();
    return;
  }
  if (port.portBusy) return;

  const DeviceProfile& device = *current.device.load();
  const bool shiftPage = pen.shiftPage;
  const HitResult hit = hitTest(x, y, layoutFor(device.skinType, shiftPage), shiftPage, device, pen.shiftCommand);
  pen.shiftCommand = hit.shiftCommand;
  const int32_t r = hit.result;
  pen.pressedButton = r;

  if (learning.learningMode) {
    if (r == kHitPreviousDevice || r == kHitNextDevice) return;  // the device cannot change
    if (r >= 0) {
      if (learnWorker.busy()) return;  // the last capture has not handed back yet
      // The highlight stays until the capture repaints.
      window.invertHotSpot(r);
      chooseLearnSlot(*this, r, shiftPage, pen.shiftCommand);
      learnWorker.start();
      return;
    }
  }
  if (!shiftPage && r > device.commandCount - 1) return;

  if (r >= 0) {
    if (!commandExists(r, device, {shiftPage, pen.shiftCommand})) return;
    window.invertHotSpot(r);
    worker.start();  // sets buttonHeld
    window.sleepMilliseconds(kAfterStartPauseMs);
  } else if (r == kHitShiftToggle) {
    window.invertHotSpot(r);
    window.sleepMilliseconds(kSpecialButtonPauseMs);
    pen.shiftPage = !pen.shiftPage;
    window.repaintNow();
  } else {
    window.invertHotSpot(r);
    switchDevice(r == kHitPreviousDevice ? -1 : 1);
  }
}

void Remote::switchDevice(int32_t step) {
  const int32_t count = selection.selectionCount;
  int32_t pos = current.selectionPos + step;
  if (pos < 0) pos = count - 1;
  if (pos > count - 1) pos = 0;
  const int32_t entry = selection.entries[static_cast<size_t>(std::clamp(pos, 0, selection_format::kMaxEntries - 1))];
  const int32_t index = entry >= 0 && entry < catalogue.catalogueCount ? entry : 0;
  showDevice(index, pos);
  settings.savedSelectionPos = pos;
  saveSettingsFile();
  attached_.sleepMilliseconds(kSpecialButtonPauseMs);
  attached_.repaintNow();
}

void Remote::penUp() {
  if (selectionEmptyOutsideLearning()) return;
  if (!learning.learningMode && !autoAdjustActive) attached_.repaintNow();
  if (autoAdjustActive) return;
  pen.buttonHeld = false;
}

void Remote::command(MenuCommand id) {
  WindowServices& window = attached_;
  if (autoAdjustActive) return;

  const bool refusable = id == MenuCommand::about || id == MenuCommand::exit || id == MenuCommand::selectDevices ||
                         id == MenuCommand::setupIrPort || id == MenuCommand::sound || id == MenuCommand::startLearn ||
                         id == MenuCommand::importRemote;
  if (refusable && learning.learningMode) {
    window.show(learningRefusal());
    return;
  }
  switch (id) {
    case MenuCommand::about: window.runDialog(DialogId::about); break;
    case MenuCommand::exit: window.destroyWindow(); break;
    case MenuCommand::selectDevices: window.runDialog(DialogId::selectDevices); break;
    case MenuCommand::setupIrPort: window.runDialog(DialogId::setupIrPort); break;
    case MenuCommand::sound:
      settings.soundOn = settings.soundOn == 1 ? 0 : 1;
      saveSettingsFile();
      window.updateMenuStates();
      break;
    case MenuCommand::startLearn: window.runDialog(DialogId::userDevices); break;
    case MenuCommand::importRemote: window.runDialog(DialogId::importRemote); break;
    case MenuCommand::stopLearn:
      if (!learning.learningMode) break;
      if (learning.captureRunning || learnWorker.running()) {
        // A capture that has heard nothing yet (or is still starting) may be
        // left: it reports back as a finished capture, which shows the Learn
        // function dialog.
        if (learnWorker.waitingForSignal()) learnWorker.abandon();
        break;
      }
      window.runDialog(DialogId::learnFunction);
      break;
    case MenuCommand::learnDialog:
      current.device = &catalogue.userDevices[static_cast<size_t>(learning.editedUserDevice.load())];
      window.repaintNow();
      window.runDialog(DialogId::learnFunction);
      break;
    case MenuCommand::nameCommand:
      window.runDialog(DialogId::commandProperties);
      command(MenuCommand::learnDialog);
      break;
  }
}

void Remote::handleLearnReport(LearnReport report) {
  if (learning.signalCut.exchange(false)) window().show(signalCutMessage());
  command(report == LearnReport::nameCommand ? MenuCommand::nameCommand : MenuCommand::learnDialog);
  learnWorker.reportHandled();
}

SkinView Remote::skinView() const {
  const DeviceProfile& device = *current.device.load();
  const bool shiftPage = pen.shiftPage;
  SkinView view{SkinView::tv, &tvLayout, false, {}, {}};
  if (selectionEmptyOutsideLearning()) return view;

  view.picture = shiftPage ? SkinView::shift : device.skinType == kVcrSkin ? SkinView::vcr : SkinView::tv;
  view.layout = &layoutFor(device.skinType, shiftPage);
  view.showName = true;
  view.name = zeroTerminated(device.name.data(), device.name.size());
  if (!shiftPage || device.labelTable == nullptr) return view;
  if (device.learned()) {
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

void Remote::shutdown() {
  // The worker must be gone before its port and the signals it plays are.
  autoAdjustActive = false;
  pen.buttonHeld = false;
  worker.join();
  port.captureStop = true;  // a capture still listening ends, storing nothing
  learnWorker.join();
  port.closePort();
  freeLearnedSlots(buffers, catalogue);
  attached_.sleepMilliseconds(kShutdownPauseMs);
}

}  // namespace zapvane
