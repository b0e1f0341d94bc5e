#include "ir/auto_adjust.h"

#include "ir/adjustments.h"
#include "storage/settings_file.h"
#include "storage/user_devices_file.h"

namespace zapvane {

namespace {

// One step down, wrapping from below -5 to 5.
int32_t stepDown(int32_t value) { return value - 1 < kMinAdjust ? kMaxAdjust : value - 1; }

}  // namespace

Message autoAdjustInstruction() {
  return {"Direct IR port in your PDA to TV,DVD,VCR..... press skin button (for example \"1\" or \"Play\"...) "
          "and wait for TV,DVD,VCR.... respond. After respond quickly tap on PDA screen. It may takes up to 6 "
          "minutes! IMPORTANT NOTE: Do not turn off PDA while auto adjusting is running!",
          "Auto adjust instruction", MessageIcon::none};
}

Message autoAdjustExhausted() {
  return {"Adjusting finished! No success, go closer to TV,DVD,VCR..., try to adjust manually or learn command "
          "again!",
          "IR adjusting", MessageIcon::none};
}

bool stepAutoAdjust(DeviceProfile& device) {
  device.spaceAdjust = stepDown(device.spaceAdjust);
  if (device.spaceAdjust != 0) return true;
  device.markAdjust = stepDown(device.markAdjust);
  return device.markAdjust != 0;
}

void armAutoAdjust(RemoteCore& core, IdleTimeouts& idle, MessageSink& dialog) {
  dialog.show(autoAdjustInstruction());
  core.autoAdjustActive = true;
  idle.saveIdleTimeouts();
  idle.raiseIdleTimeouts();
}

void endAutoAdjustByTap(RemoteCore& core, IdleTimeouts& idle, const DataFiles& files, ProblemReporter& problems) {
  core.pen.buttonHeld = false;
  idle.restoreIdleTimeouts();
  DeviceProfile& device = *core.current.device.load();
  if (device.isLearned == 0) {
    core.settings.spaceAdjust = device.spaceAdjust.load();
    core.settings.markAdjust = device.markAdjust.load();
  } else {
    problems.saveFailed(saveUserDevices(core.catalogue, files.userDevices));
  }
  core.settings.savedSelectionPos = core.current.selectionPos.load();
  problems.saveFailed(saveSettings(core.settings, files.settings));
  core.autoAdjustActive = false;
}

}  // namespace zapvane
