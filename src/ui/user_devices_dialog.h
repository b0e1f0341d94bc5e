// UserDevicesDialog, "User devices": the user devices' names in index order,
// "Add new" (a name and a skin for a new device) and "Modify" (a new name
// for the selected one). Either, once its naming dialog ends with OK, runs
// command 20, which shows the device and opens Learn function, and then
// closes the list; a cancelled naming leaves the list open. The close box
// ends the list with nothing changed.
//
// Threads: window thread, run modally while learning mode is off.
#pragma once

#include <QDialog>
#include <QListWidget>

#include "ui/dialog_context.h"

namespace zapvane {

class UserDevicesDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit UserDevicesDialog(const DialogContext& context);

 private:
  void addNew();
  void modify();
  void learnEditedDevice();
  // The naming dialogs are owned by the list.
  DialogContext childContext() { return {this, context_.remote, context_.window}; }

  DialogContext context_;
  QListWidget* list_;
};

}  // namespace zapvane
