// MainWindow: the program's only top-level window, titled "Zapvane": the
// skin, the menus "Options", "Learn!" and "Info", message boxes and dialogs.
// It draws and forwards; what a tap or a command does is the controller's.
//
// Threads: window thread. show() and repaintNow() may be called from a
// worker: they then run on the window thread and the worker waits for them
// (a message box until it closes). Once the window shuts down such calls
// return unrun, so that waiting for a worker never hangs the window.
#pragma once

#include <QAction>
#include <QMainWindow>
#include <functional>
#include <map>

#include "app/pen_and_menu.h"
#include "app/remote.h"
#include "ui/skin_widget.h"
#include "ui/worker_calls.h"
#include "app/window_services.h"

namespace zapvane {

class MainWindow final : public QMainWindow, public WindowServices {
  Q_OBJECT

 public:
  explicit MainWindow(Remote& remote);
  ~MainWindow() override;

  using QMainWindow::show;  // the window's own show(), beside the message one

  // WindowServices
  void show(const Message& message) override;
  void invertHotSpot(int32_t result) override;
  void repaintNow() override;
  void updateMenuStates() override;
  void runDialog(DialogId dialog) override;
  void sleepMilliseconds(int32_t milliseconds) override;
  void destroyWindow() override;

  // How message boxes and dialogs appear; tests put recorders here.
  std::function<void(const Message&)> presentMessage;
  std::function<void(DialogId)> presentDialog;
  // The code file Learn! > Import remote... brings in, empty when the user
  // chose none: a file dialog, or a path a test gives.
  std::function<QString()> chooseImportFile;

  SkinWidget& skin() { return *skin_; }
  QAction* action(MenuCommand command) const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildMenus();
  void showMessageBox(const Message& message);
  void showSoundSetting();

  // A capture's reports, run on the window thread; the learn worker waits
  // for each, dialogs included.
  class LearnReports final : public LearnWindow {
   public:
    explicit LearnReports(MainWindow& window) : window_(window) {}
    void updateMenuStates() override;
    void repaintNow() override;
    void report(LearnReport report) override;

   private:
    MainWindow& window_;
  };
  void onWindowThread(const std::function<void()>& work);

  Remote& remote_;
  WorkerCalls workerCalls_{*this};
  LearnReports learnReports_{*this};
  SkinWidget* skin_;
  std::map<MenuCommand, QAction*> actions_;
  bool shutDown_ = false;
};

}  // namespace zapvane
