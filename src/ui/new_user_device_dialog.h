// NewUserDeviceDialog, "User devices": the name and the skin of a new user
// device. OK creates it and puts the program in learning mode on it, or
// shows why not ("User devices limit!!!", "Enter device name!!!", "memory
// alloc error!!!") and stays open. The close box leaves learning mode.
//
// Threads: window thread, run modally by the User devices list.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>

#include "ui/dialog_context.h"

namespace zapvane {

class NewUserDeviceDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit NewUserDeviceDialog(const DialogContext& context);

  void reject() override;

 private:
  void create();

  DialogContext context_;
  QLineEdit* name_;
  QComboBox* type_;
};

}  // namespace zapvane
