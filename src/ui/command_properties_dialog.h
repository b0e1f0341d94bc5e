// CommandPropertiesDialog, "Command properties": the name of the shift-page
// command just learned, shown beside its button. OK stores up to 13
// characters (an empty field clears the name). It has no close box and
// cannot be cancelled by Escape or the window manager: the Learn function
// dialog follows it in any case.
//
// Threads: window thread, run modally while the capture that reported waits.
#pragma once

#include <QDialog>
#include <QLineEdit>

#include "ui/dialog_context.h"

namespace zapvane {

class CommandPropertiesDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit CommandPropertiesDialog(const DialogContext& context);

  // Escape and the close request end up here; both are refused.
  void reject() override {}

 private:
  void storeName();

  DialogContext context_;
  QLineEdit* name_;
};

}  // namespace zapvane
