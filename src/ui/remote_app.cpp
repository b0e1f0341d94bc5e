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

RemoteApp::RemoteApp(const DataFiles& dataFiles, const AppPlatform& platform, std::ostream& err)
    : files(dataFiles),
      problems(err, "zapvane"),
      timer(platform.counter, core.adjustments),
      port(platform.opener, messages, core.settings),
      worker({core, port, timer, platform.workerSleeper, platform.priority, platform.beeper, idle, messages}) {}

void RemoteApp::start() {
  startRemote(core, files, &timer, messages, problems);
  core.pen.shiftPage = false;
  core.learning.editedUserDevice = 0;
}

}  // namespace zapvane
