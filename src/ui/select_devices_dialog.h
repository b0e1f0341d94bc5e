// SelectDevicesDialog, "Select Devices": every catalogue entry in a list
// where each tap toggles an entry, the selection preselected; OK makes the
// chosen entries the selection (settings_actions.h decides how). The close
// box stores nothing.
//
// Threads: window thread, run modally while no worker runs.
#pragma once

#include <QDialog>
#include <QListWidget>
#include <QPushButton>

#include "ui/dialog_context.h"

namespace zapvane {

class SelectDevicesDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit SelectDevicesDialog(const DialogContext& context);

 private:
  void storeSelection();

  DialogContext context_;
  QListWidget* list_;
  QPushButton* ok_;
};

}  // namespace zapvane
