// LearnFunctionDialog, "Learn function": how to teach a button, with "Start
// learn" (go and tap skin buttons) and "End learning" (a new device joins
// the catalogue and the selection; everything is saved). Opening it puts
// the program in learning mode. It has no close box, and neither Escape nor
// the window manager closes it: learned signals live only in memory until
// End learning, so it is left only through its two buttons.
//
// Threads: window thread, run modally; when a capture reports back, its
// worker waits until the dialog has closed.
#pragma once

#include <QDialog>

#include "ui/dialog_context.h"

namespace zapvane {

class LearnFunctionDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit LearnFunctionDialog(const DialogContext& context);

  // Escape and the close request end up here; both are refused.
  void reject() override {}

 private:
  void startLearn();
  void endLearningNow();

  DialogContext context_;
};

}  // namespace zapvane
