#include "ui/dialog_context.h"

namespace zapvane {

void runSettingsDialog(DialogId, const DialogContext&) {}

}  // namespace zapvane
