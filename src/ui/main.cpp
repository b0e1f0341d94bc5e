// zapvane: the window. Options: --data-dir DIR, --help, --version.
#include <QApplication>
#include <QMessageBox>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/remote.h"
#include "app/version.h"
#include "platform/data_dir.h"
#include "platform/real_platform.h"
#include "ui/main_window.h"
#include "ui/qt_beeper.h"
#include "ui/screen_saver_inhibitor.h"
#include "ui/single_instance.h"

namespace {

constexpr const char* kUsage =
    "Usage: zapvane [--data-dir DIR]\n"
    "\n"
    "A universal infrared remote control. Tap a button of the skin to send the\n"
    "command of the device shown for as long as the button is held.\n"
    "\n"
    "  --data-dir DIR  where settings, selection, user devices and ports.conf live\n"
    "                  (default: $ZAPVANE_DATA_DIR, else $XDG_DATA_HOME/zapvane,\n"
    "                  else ~/.local/share/zapvane)\n"
    "  --help          this text\n"
    "  --version       the version\n"
    "\n"
    "Without IR hardware, COM1 is a simulated transmitter that logs what it sends\n"
    "to ir-sim.log in the data directory (see 'zapvane-cli monitor').\n";

struct Options {
  std::optional<std::string> dataDir;
  int exitNow = -1;
};

Options parseOptions(int argc, char** argv) {
  Options options;
  const std::vector<std::string> args(argv + 1, argv + argc);
  for (size_t i = 0; i < args.size() && options.exitNow < 0; ++i) {
    const std::string& arg = args[i];
    zapvane::Status status = zapvane::Status::ok();
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      options.exitNow = 0;
    } else if (arg == "--version") {
      std::cout << "zapvane " << zapvane::kVersion << "\n";
      options.exitNow = 0;
    } else if (zapvane::takeDataDirOption(args, i, options.dataDir, status)) {
      if (!status.isOk()) {
        std::cerr << "zapvane: " << status.message() << "\n";
        options.exitNow = 2;
      }
    } else {
      std::cerr << "zapvane: unknown argument " << arg << " (see --help)\n";
      options.exitNow = 2;
    }
  }
  return options;
}

// A start on a folder whose lock another process holds: the window that
// owns it is raised, else (a command line tool changing the files for a
// moment) the start waits this long for it.
constexpr double kStartWaitSeconds = 5;

int refuseToStart(const zapvane::Status& why) {
  const QString text = QString::fromStdString(why.message());
  std::cerr << "zapvane: " << why.message() << "\n";
  QMessageBox::critical(nullptr, QStringLiteral("Zapvane"), text);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = parseOptions(argc, argv);
  if (options.exitNow >= 0) return options.exitNow;

  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Zapvane"));

  using namespace zapvane;
  const DataFiles files = DataFiles::in(resolveDataDir(options.dataDir));
  RealPlatform platform;
  // Sound and the session bus only for a window that runs: a start that
  // merely raises the running window ends without touching either.
  std::optional<QtBeeper> beeper;
  std::optional<ScreenSaverInhibitor> inhibitor;
  Remote remote(platform, files, std::cerr);

  // The window holds its folder for its whole life: its state lives in
  // memory and is saved as it changes.
  SingleInstance instance(SingleInstance::socketPathFor(files.dir));
  Status locked = remote.lockDataFolder(Remote::Holder::window, 0);
  if (locked.code() == Status::Code::busy) {
    if (instance.askRunningInstanceToRaise()) return 0;
    locked = remote.lockDataFolder(Remote::Holder::window, kStartWaitSeconds);
  }
  if (!locked.isOk()) return refuseToStart(locked);
  platform.useBeeper(beeper.emplace());
  platform.idle().inhibit = [&inhibitor](bool on) { inhibitor->set(on); };
  inhibitor.emplace();
  if (const Status started = remote.start(); !started.isOk()) return refuseToStart(started);

  MainWindow window(remote);
  instance.listen([&window] {
    window.showNormal();
    window.raise();
    window.activateWindow();
  });
  window.show();
  return QApplication::exec();
}
