#include "ui/about_dialog.h"
#include "ui/dialog_context.h"
#include "ui/select_devices_dialog.h"
#include "ui/setup_ir_port_dialog.h"

namespace zapvane {

void runSettingsDialog(DialogId dialog, const DialogContext& context) {
  switch (dialog) {
    case DialogId::about: {
      AboutDialog about(context.owner);
      about.exec();
      break;
    }
    case DialogId::selectDevices: {
      SelectDevicesDialog select(context);
      // The skin shows the first device of the new selection, or the bare
      // skin when nothing was chosen.
      if (select.exec() == QDialog::Accepted) context.window.repaintNow();
      break;
    }
    case DialogId::setupIrPort: {
      SetupIrPortDialog setup(context);
      setup.exec();
      break;
    }
    default: break;
  }
}

}  // namespace zapvane
