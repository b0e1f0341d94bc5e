#include "ui/dialog_context.h"

namespace zapvane {

void runLearningDialog(DialogId, const DialogContext&) {}

}  // namespace zapvane
