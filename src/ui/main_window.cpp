#include "ui/main_window.h"

#include <QCloseEvent>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QThread>

#include "storage/user_device_buffers.h"
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

MainWindow::MainWindow(RemoteApp& app)
    : app_(app),
      controller_({app.core, app.port, app.worker, app.learnWorker, app.idle, app.files, app.problems, *this}),
      skin_(new SkinWidget(this)) {
  setWindowTitle(QStringLiteral("Zapvane"));
  setObjectName(QStringLiteral("Zapvane"));
  setWindowIcon(programIcon());
  setCentralWidget(skin_);
  skin_->setController(&controller_);
  presentMessage = [this](const Message& message) { showMessageBox(message); };
  presentDialog = [this](DialogId dialog) {
    const DialogContext context{this, app_, *this};
    switch (dialog) {
      case DialogId::about:
      case DialogId::selectDevices:
      case DialogId::setupIrPort: runSettingsDialog(dialog, context); break;
      case DialogId::userDevices:
      case DialogId::learnFunction:
      case DialogId::commandProperties: runLearningDialog(dialog, context); break;
    }
  };
  buildMenus();
  updateMenuStates();
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  app_.messages.attach(this);
  app_.problems.attachWindow(this);
  app_.learnWindow.attach(&learnReports_);
}

void MainWindow::onWindowThread(const std::function<void()>& work) {
  if (QThread::currentThread() == thread()) {
    work();
  } else {
    QMetaObject::invokeMethod(this, work, Qt::BlockingQueuedConnection);
  }
}

void MainWindow::LearnReports::updateMenuStates() {
  window_.onWindowThread([this] { window_.updateMenuStates(); });
}

void MainWindow::LearnReports::repaintNow() {
  window_.onWindowThread([this] { window_.repaintNow(); });
}

void MainWindow::LearnReports::command(int32_t id) {
  window_.onWindowThread([this, id] { window_.controller_.command(id); });
}

MainWindow::~MainWindow() {
  if (!shutDown_) controller_.shutdown();
  app_.learnWindow.attach(nullptr);
  app_.messages.attach(nullptr);
  app_.problems.attachWindow(nullptr);
}

void MainWindow::buildMenus() {
  auto add = [this](QMenu* menu, const char* text, int32_t command) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    connect(action, &QAction::triggered, this, [this, command] { controller_.command(command); });
    actions_[command] = action;
    return action;
  };
  QMenu* options = menuBar()->addMenu(QStringLiteral("Options"));
  add(options, "Select devices", cmdSelectDevices);
  options->addSeparator();
  add(options, "Setup IR port", cmdSetupIrPort);
  options->addSeparator();
  add(options, "Sound", cmdSound)->setCheckable(true);
  options->addSeparator();
  add(options, "Exit", cmdExit);
  QMenu* learn = menuBar()->addMenu(QStringLiteral("Learn!"));
  add(learn, "Start learn", cmdStartLearn);
  add(learn, "Stop learn", cmdStopLearn);
  QMenu* info = menuBar()->addMenu(QStringLiteral("Info"));
  add(info, "About", cmdAbout);
}

QAction* MainWindow::action(int32_t command) const {
  const auto found = actions_.find(command);
  return found == actions_.end() ? nullptr : found->second;
}

void MainWindow::show(const Message& message) {
  // From a worker, the box still belongs to the window thread, and the
  // worker waits until the user has closed it.
  onWindowThread([this, &message] { presentMessage(message); });
}

void MainWindow::showMessageBox(const Message& message) {
  QMessageBox box(boxIcon(message.icon), QString::fromStdString(message.caption),
                  QString::fromStdString(message.text), QMessageBox::Ok, this);
  box.exec();
}

void MainWindow::invertHotSpot(int32_t result) {
  const SkinView view = controller_.skinView();
  const WindowRect r = hotSpotWindowRect(*view.layout, result);
  skin_->invert(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top));
}

void MainWindow::repaintNow() { skin_->repaintNow(); }

void MainWindow::updateMenuStates() {
  const bool learning = app_.core.learning.learningMode;
  actions_[cmdSound]->setChecked(app_.core.settings.soundOn == 1);
  actions_[cmdStartLearn]->setEnabled(!learning);
  actions_[cmdStopLearn]->setEnabled(learning);
}

void MainWindow::runDialog(DialogId dialog) { presentDialog(dialog); }

void MainWindow::sleepMilliseconds(int32_t milliseconds) {
  if (milliseconds > 0) QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void MainWindow::destroyWindow() { close(); }

void MainWindow::closeEvent(QCloseEvent* event) {
  // Learned signals live only in memory until End learning saves them: the
  // close box is refused in learning mode like Exit.
  if (app_.core.learning.learningMode) {
    show(learningRefusal());
    event->ignore();
    return;
  }
  // While auto adjust runs every command is ignored, and the worker may be
  // about to show its last message on this thread: waiting for it here
  // would hang both. The next tap ends auto adjust.
  if (app_.core.autoAdjustActive) {
    event->ignore();
    return;
  }
  if (!shutDown_) {
    shutDown_ = true;
    controller_.shutdown();
  }
  event->accept();
}

}  // namespace zapvane
