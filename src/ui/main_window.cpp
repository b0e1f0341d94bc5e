#include "ui/main_window.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QThread>

#include "app/remote_import.h"
#include "catalogue/user_device_buffers.h"
#include "ui/dialog_context.h"
#include "ui/qt_resources.h"

namespace zapvane {

namespace {

QMessageBox::Icon boxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::information: return QMessageBox::Information;
    case MessageIcon::exclamation: return QMessageBox::Warning;
    case MessageIcon::stop: return QMessageBox::Critical;
    case MessageIcon::none: break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

MainWindow::MainWindow(Remote& remote) : remote_(remote), skin_(new SkinWidget(this)) {
  setWindowTitle(QStringLiteral("Zapvane"));
  setObjectName(QStringLiteral("Zapvane"));
  setWindowIcon(programIcon());
  setCentralWidget(skin_);
  skin_->setRemote(&remote_);
  skin_->setFocus();
  presentMessage = [this](const Message& message) { showMessageBox(message); };
  presentDialog = [this](DialogId dialog) {
    const DialogContext context{this, remote_, *this};
    switch (dialog) {
      case DialogId::about:
      case DialogId::selectDevices:
      case DialogId::setupIrPort: runSettingsDialog(dialog, context); break;
      case DialogId::userDevices:
      case DialogId::learnFunction:
      case DialogId::commandProperties: runLearningDialog(dialog, context); break;
      case DialogId::importRemote: {
        const QString path = chooseImportFile();
        if (!path.isEmpty()) importRemoteFromWindow(remote_, path.toStdString());
        break;
      }
    }
  };
  chooseImportFile = [this] {
    return QFileDialog::getOpenFileName(this, QStringLiteral("Import remote"), QString(),
                                        QStringLiteral("IR codes (*.ir *.txt);;All files (*)"));
  };
  buildMenus();
  updateMenuStates();
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  remote_.attachWindow(this, &learnReports_);
}

void MainWindow::onWindowThread(const std::function<void()>& work) { workerCalls_.run(work); }

void MainWindow::LearnReports::updateMenuStates() {
  window_.onWindowThread([this] { window_.updateMenuStates(); });
}

void MainWindow::LearnReports::repaintNow() {
  window_.onWindowThread([this] { window_.repaintNow(); });
}

void MainWindow::LearnReports::report(LearnReport report) {
  window_.onWindowThread([this, report] { window_.remote_.handleLearnReport(report); });
}

MainWindow::~MainWindow() {
  workerCalls_.close();
  if (!shutDown_) remote_.shutdown();
  remote_.attachWindow(nullptr, nullptr);
}

void MainWindow::buildMenus() {
  auto add = [this](QMenu* menu, const char* text, MenuCommand command) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    connect(action, &QAction::triggered, this, [this, command] {
      // Qt flips a check item before its command runs, which may refuse or
      // ignore it: the mark shows the setting, never the click.
      if (command == MenuCommand::sound) showSoundSetting();
      remote_.command(command);
    });
    actions_[command] = action;
    return action;
  };
  // Each item's text with the letter that picks it from the keyboard.
  QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
  add(options, "Select &devices", MenuCommand::selectDevices);
  options->addSeparator();
  add(options, "Setup &IR port", MenuCommand::setupIrPort);
  options->addSeparator();
  add(options, "&Sound", MenuCommand::sound)->setCheckable(true);
  options->addSeparator();
  add(options, "E&xit", MenuCommand::exit)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  QMenu* learn = menuBar()->addMenu(QStringLiteral("&Learn!"));
  add(learn, "&Start learn", MenuCommand::startLearn);
  add(learn, "Sto&p learn", MenuCommand::stopLearn);
  add(learn, "Import &remote\u2026", MenuCommand::importRemote);
  QMenu* info = menuBar()->addMenu(QStringLiteral("&Info"));
  add(info, "&About", MenuCommand::about);
}

QAction* MainWindow::action(MenuCommand command) const {
  const auto found = actions_.find(command);
  return found == actions_.end() ? nullptr : found->second;
}

void MainWindow::show(const Message& message) {
  // From a worker, the box still belongs to the window thread, and the
  // worker waits until the user has closed it.
  onWindowThread([this, &message] {
    skin_->forgetHeldPress();  // the box takes the pen-up or key-up
    presentMessage(message);
  });
}

void MainWindow::showMessageBox(const Message& message) {
  QMessageBox box(boxIcon(message.icon), QString::fromStdString(message.caption),
                  QString::fromStdString(message.text), QMessageBox::Ok, this);
  box.exec();
}

void MainWindow::invertHotSpot(int32_t result) {
  const SkinView view = remote_.skinView();
  const WindowRect r = hotSpotWindowRect(*view.layout, result);
  skin_->invert(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top));
}

void MainWindow::repaintNow() {
  onWindowThread([this] { skin_->repaintNow(); });
}

void MainWindow::showSoundSetting() { actions_[MenuCommand::sound]->setChecked(remote_.settings.soundOn == 1); }

void MainWindow::updateMenuStates() {
  const bool learning = remote_.learning.learningMode;
  showSoundSetting();
  actions_[MenuCommand::startLearn]->setEnabled(!learning);
  actions_[MenuCommand::stopLearn]->setEnabled(learning);
}

void MainWindow::runDialog(DialogId dialog) {
  skin_->forgetHeldPress();  // the dialog takes the pen-up or key-up
  presentDialog(dialog);
}

void MainWindow::sleepMilliseconds(int32_t milliseconds) {
  if (milliseconds > 0) QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void MainWindow::destroyWindow() { close(); }

void MainWindow::closeEvent(QCloseEvent* event) {
  // Learned signals live only in memory until End learning saves them: the
  // close box is refused in learning mode like Exit.
  if (remote_.learning.learningMode) {
    show(learningRefusal());
    event->ignore();
    return;
  }
  // While auto adjust runs every command is ignored, and the worker may be
  // about to show its last message on this thread: waiting for it here
  // would hang both. The next tap ends auto adjust.
  if (remote_.autoAdjustActive) {
    event->ignore();
    return;
  }
  if (!shutDown_) {
    shutDown_ = true;
    workerCalls_.close();
    remote_.shutdown();
  }
  event->accept();
}

}  // namespace zapvane
