// RenameDialog, "Name": a new name for a user device, preset with its
// current one. OK stores it (an empty name is refused with "Enter device
// name!!!" and the dialog stays open); the close box leaves learning mode
// and keeps the old name.
//
// Threads: window thread, run modally by the User devices list.
#pragma once

#include <QDialog>
#include <QLineEdit>

#include "ui/dialog_context.h"

namespace zapvane {

class RenameDialog final : public QDialog {
  Q_OBJECT

 public:
  // REQUIRES: 0 <= device < userCount.
  RenameDialog(const DialogContext& context, int32_t device);

  void reject() override;

 private:
  void rename();

  DialogContext context_;
  int32_t device_;
  QLineEdit* name_;
};

}  // namespace zapvane
