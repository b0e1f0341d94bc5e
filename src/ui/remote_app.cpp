#include "ui/remote_app.h"

namespace zapvane {

void ForwardingMessages::show(const Message& message) {
  MessageSink* target = target_.load();
  if (target != nullptr) {
    target->show(message);
  } else {
    StderrMessages().show(message);
  }
}

void ForwardingLearnWindow::updateMenuStates() {
  if (LearnWindow* target = target_.load()) target->updateMenuStates();
}

void ForwardingLearnWindow::repaintNow() {
  if (LearnWindow* target = target_.load()) target->repaintNow();
}

void ForwardingLearnWindow::command(int32_t id) {
  if (LearnWindow* target = target_.load()) target->command(id);
}

RemoteApp::RemoteApp(const DataFiles& dataFiles, const AppPlatform& platform, std::ostream& err)
    : files(dataFiles),
      problems(err, "zapvane"),
      timer(platform.counter, core.adjustments),
      port(platform.opener, messages, core.settings),
      worker({core, port, timer, platform.workerSleeper, platform.priority, platform.beeper, idle, messages}),
      learnWorker({core, port, timer, platform.priority, platform.beeper, learnWindow}) {}

void RemoteApp::start() {
  startRemote(core, files, &timer, messages, problems);
  core.pen.shiftPage = false;
  core.learning.editedUserDevice = 0;
}

}  // namespace zapvane
