// SetupIrPortDialog, "Setup IR port": the port (COM1..COM4) and the space and
// mark adjustments of the current device's kind (the global pair for a
// built-in device, its own for a user device). OK stores all three; Default
// stores (0, 0) at once and stays open; Auto Adjust arms auto adjust and
// closes without storing; the close box stores nothing more.
//
// Threads: window thread, run modally while no worker runs.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QSlider>

#include "ui/dialog_context.h"

namespace zapvane {

class SetupIrPortDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit SetupIrPortDialog(const DialogContext& context);

 private:
  void storeSetup();
  void restoreDefaults();
  void startAutoAdjust();

  DialogContext context_;
  QPushButton* ok_;
  QComboBox* port_;
  QSlider* space_;
  QSlider* mark_;
  QPushButton* autoAdjust_;
  QPushButton* default_;
};

}  // namespace zapvane
