#include "app/auto_adjust_actions.h"

namespace zapvane {

Message autoAdjustInstruction() {
  return {"Direct IR port in your PDA to TV,DVD,VCR..... press skin button (for example \"1\" or \"Play\"...) "
          "and wait for TV,DVD,VCR.... respond. After respond quickly tap on PDA screen. It may takes up to 6 "
          "minutes! IMPORTANT NOTE: Do not turn off PDA while auto adjusting is running!",
          "Auto adjust instruction", MessageIcon::none};
}

void armAutoAdjust(Remote& remote, MessageSink& dialog) {
  dialog.show(autoAdjustInstruction());
  remote.autoAdjustActive = true;
  remote.platform.idle().saveIdleTimeouts();
  remote.platform.idle().raiseIdleTimeouts();
}

void endAutoAdjustByTap(Remote& remote) {
  remote.pen.buttonHeld = false;
  remote.platform.idle().restoreIdleTimeouts();
  DeviceProfile& device = *remote.current.device.load();
  if (!device.learned()) {
    remote.settings.spaceAdjust = device.spaceAdjust.load();
    remote.settings.markAdjust = device.markAdjust.load();
  } else {
    remote.saveUserDevicesFile();
  }
  remote.settings.savedSelectionPos = remote.current.selectionPos.load();
  remote.saveSettingsFile();
  remote.autoAdjustActive = false;
}

void disarmAutoAdjust(Remote& remote) {
  remote.autoAdjustActive = false;
  IdleTimeouts& idle = remote.platform.idle();
  idle.restoreIdleTimeouts();
}

}  // namespace zapvane
