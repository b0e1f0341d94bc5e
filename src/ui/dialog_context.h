// What a dialog of the main window works with: its owner, the running remote
// and the window's services (repaint, menus, message boxes).
//
// Threads: window thread.
#pragma once

#include <QWidget>

#include "app/remote.h"
#include "app/window_services.h"

namespace zapvane {

struct DialogContext {
  QWidget* owner;
  Remote& remote;
  WindowServices& window;
};

// Select devices, Setup IR port and About (settings_dialogs.cpp).
void runSettingsDialog(DialogId dialog, const DialogContext& context);
// User devices, Learn function and Command properties (learning_dialogs.cpp).
void runLearningDialog(DialogId dialog, const DialogContext& context);

}  // namespace zapvane
