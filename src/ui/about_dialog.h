// AboutDialog, "About": the program icon and its name with the version. It
// has one button, OK; it, the close box and Escape end it.
//
// Threads: window thread, run modally.
#pragma once

#include <QDialog>

namespace zapvane {

class AboutDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* owner);
};

}  // namespace zapvane
