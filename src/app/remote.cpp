#include "app/remote.h"

#include "storage/file_io.h"
#include "storage/settings_file.h"
#include "storage/user_devices_file.h"

namespace zapvane {

namespace {

constexpr int64_t kStaleTemporarySeconds = 60;
// What the folder's lock file says while held.
constexpr const char* kWindowHolder = "window\n";
constexpr const char* kCommandHolder = "command\n";
// A command changes the files within moments; one that keeps the folder
// longer (a learn listening for a remote) is not waited for.
constexpr double kCommandTurnSeconds = 10;

}  // namespace

Remote::Remote(Platform& platformServices, const DataFiles& dataFiles, std::ostream& err, std::string program)
    : err_(err),
      platform(platformServices),
      files(dataFiles),
      problems(err, std::move(program)),
      timer(platform.counter(), adjustments),
      port(ports_, portMessages_, settings),
      worker({current, settings, pen, autoAdjustActive, port, timer, platform.sleeper(), platform.priority(),
              platform.beeper(), platform.idle(), attached_}),
      learnWorker({catalogue, current, settings, learning, port, timer, platform.priority(), platform.beeper(),
                   learnReports_}) {}

Remote::~Remote() {
  // Workers use the state below; they must be gone first.
  autoAdjustActive = false;
  pen.buttonHeld = false;
  worker.join();
  port.captureStop = true;
  learnWorker.join();
}

Status Remote::lockDataFolder(Holder holder, double waitSeconds) {
  FileSystem& fs = platform.files();
  const Status dir = fs.createDirectories(files.dir);
  if (!dir.isOk()) return dir;
  const std::string me = holder == Holder::window ? kWindowHolder : kCommandHolder;
  Status locked = fs.lockFile(files.lock, waitSeconds, me, folderLock_);
  if (locked.code() != Status::Code::busy) return locked;
  const bool windowHasIt = dataFolderHolder() == kWindowHolder;
  if (holder == Holder::command && !windowHasIt) {
    locked = fs.lockFile(files.lock, kCommandTurnSeconds, me, folderLock_);
    if (locked.code() != Status::Code::busy) return locked;
  }
  return Status::busy("the data folder " + files.dir + " is in use by " +
                      (windowHasIt ? "a Zapvane window" : "another zapvane-cli command"));
}

std::string Remote::dataFolderHolder() {
  std::vector<uint8_t> bytes;
  if (!platform.files().readFile(files.lock, 64, bytes).isOk()) return {};
  return {bytes.begin(), bytes.end()};
}

Status Remote::start() {
  FileSystem& fs = platform.files();
  const Status dir = fs.createDirectories(files.dir);
  if (!dir.isOk()) return dir;

  // Saves killed before their rename leave a temporary file each; only a
  // writer may sweep, so no save of another writer is in progress.
  if (holdsDataFolder()) {
    for (const std::string* file : {&files.settings, &files.selection, &files.userDevices}) {
      removeStaleTemporaries(fs, *file, kStaleTemporarySeconds);
    }
  }

  fillBuiltInProfiles(catalogue.builtIn);
  resetUserDevices(catalogue);
  const UserDevicesLoad users = loadUserDevices(catalogue, buffers, fs, files.userDevices, attached_,
                                                allocateUserDeviceBuffers,
                                                holdsDataFolder() ? RefusedFile::keepAside : RefusedFile::leave);
  if (!users.finding.isOk()) problems.notice(users.finding.message());

  timer.calibrateTimer();

  portsConfig = loadPortsConfig(fs, files.portsConfig);
  for (const std::string& warning : portsConfig.warnings) problems.notice(files.portsConfig + ": " + warning);
  const SettingsLoad loaded = loadSettings(settings, fs, files.settings, portsConfig.port);
  if (!loaded.readError.isOk()) problems.notice(loaded.readError.message() + "; using the default settings");
  // Not the user's save: a reader goes on with the defaults in memory.
  if (!loaded.saved.isOk()) problems.notice(loaded.saved.message() + "; using the default settings");

  buildCatalogue(catalogue, current);

  const SelectionLoad chosen = loadSelection(selection, fs, files.selection, catalogue.catalogueCount);
  if (!chosen.readError.isOk()) problems.notice(chosen.readError.message() + "; starting with an empty selection");
  if (!chosen.finding.isOk()) problems.notice(chosen.finding.message());

  showSavedDevice();

  pen.shiftPage = false;
  learning.editedUserDevice = 0;
  return Status::ok();
}

void Remote::attachWindow(WindowServices* window, LearnWindow* learnReports) {
  attached_.attach(window);
  learnReports_.attach(learnReports);
  problems.attachWindow(window);
}

void Remote::showDevice(int32_t index, int32_t pos) {
  current.selectionPos = pos;
  current.catalogueIndex = index;
  current.device = catalogue.entries[static_cast<size_t>(index)];
}

void Remote::showSavedDevice() {
  if (settings.savedSelectionPos > catalogue.catalogueCount) settings.savedSelectionPos = 0;
  int32_t pos = settings.savedSelectionPos;
  // Past the end of the list (or before it) there is no entry to show.
  if (pos < 0 || pos >= selection.selectionCount) pos = 0;
  const int32_t index = selection.entries[static_cast<size_t>(pos)];
  showDevice(index >= 0 && index < catalogue.catalogueCount ? index : 0, pos);
}

bool Remote::saveSettingsFile() { return saved(saveSettings(settings, platform.files(), files.settings)); }

bool Remote::saveUserDevicesFile() { return saved(saveUserDevices(catalogue, platform.files(), files.userDevices)); }

bool Remote::saveSelectionFile() { return saved(saveSelection(selection, platform.files(), files.selection)); }

bool Remote::saved(const Status& save) {
  problems.saveFailed(save);
  return save.isOk();
}

Status Remote::ConfiguredPorts::open(const std::string& name, std::unique_ptr<SerialDevice>& device) {
  return remote_.platform.openPort(name, remote_.portsConfig, remote_.files.simLog, device);
}

void Remote::AttachedWindow::show(const Message& message) {
  if (WindowServices* window = window_.load()) {
    window->show(message);
  } else {
    err_ << message.caption << ": " << message.text << '\n' << std::flush;
  }
}

void Remote::AttachedWindow::showWithReason(const Message& message, const std::string& reason) {
  if (WindowServices* window = window_.load()) {
    window->showWithReason(message, reason);
  } else {
    err_ << message.caption << ": " << message.text << (reason.empty() ? "" : " ") << reason << '\n' << std::flush;
  }
}

void Remote::AttachedWindow::invertHotSpot(int32_t result) {
  if (WindowServices* window = window_.load()) window->invertHotSpot(result);
}

void Remote::AttachedWindow::repaintNow() {
  if (WindowServices* window = window_.load()) window->repaintNow();
}

void Remote::AttachedWindow::updateMenuStates() {
  if (WindowServices* window = window_.load()) window->updateMenuStates();
}

void Remote::AttachedWindow::runDialog(DialogId dialog) {
  if (WindowServices* window = window_.load()) window->runDialog(dialog);
}

void Remote::AttachedWindow::sleepMilliseconds(int32_t milliseconds) {
  if (WindowServices* window = window_.load()) window->sleepMilliseconds(milliseconds);
}

void Remote::AttachedWindow::destroyWindow() {
  if (WindowServices* window = window_.load()) window->destroyWindow();
}

void Remote::PortMessages::show(const Message& message) { showWithReason(message, {}); }

void Remote::PortMessages::showWithReason(const Message& message, const std::string& reason) {
  window_.showWithReason(message, reason);
  window_.repaintNow();
}

void Remote::AttachedLearnReports::updateMenuStates() {
  if (LearnWindow* reports = reports_.load()) reports->updateMenuStates();
}

void Remote::AttachedLearnReports::repaintNow() {
  if (LearnWindow* reports = reports_.load()) reports->repaintNow();
}

void Remote::AttachedLearnReports::report(LearnReport report) {
  if (LearnWindow* reports = reports_.load()) reports->report(report);
}

}  // namespace zapvane
