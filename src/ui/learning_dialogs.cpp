#include "ui/command_properties_dialog.h"
#include "ui/dialog_context.h"
#include "ui/learn_function_dialog.h"
#include "ui/user_devices_dialog.h"

namespace zapvane {

void runLearningDialog(DialogId dialog, const DialogContext& context) {
  switch (dialog) {
    case DialogId::userDevices: {
      UserDevicesDialog list(context);
      list.exec();
      break;
    }
    case DialogId::learnFunction: {
      LearnFunctionDialog learn(context);
      learn.exec();
      break;
    }
    case DialogId::commandProperties: {
      CommandPropertiesDialog name(context);
      name.exec();
      break;
    }
    default: break;
  }
}

}  // namespace zapvane
