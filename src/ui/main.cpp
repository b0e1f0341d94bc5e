// zapvane: the window. Options: --data-dir DIR, --help, --version, and Qt's
// own (-platform, -style, ...), which QApplication takes out first.
#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/remote.h"
#include "app/version.h"
#include "platform/data_dir.h"
#include "platform/real_platform.h"
#include "ui/main_window.h"
#include "ui/qt_beeper.h"
#include "ui/screen_saver_inhibitor.h"
#include "ui/single_instance.h"

namespace {

constexpr const char* kDescription =
    "A universal infrared remote control. Tap a button of the skin to send the\n"
    "command of the device shown for as long as the button is held.";

constexpr const char* kMore =
    "\nQt's own options work as in every Qt program, e.g. -platform offscreen or\n"
    "-style fusion. Without IR hardware, COM1 is a simulated transmitter that logs\n"
    "what it sends to ir-sim.log in the data directory (see 'zapvane-cli monitor').\n";

// Help and the version need no display: a request for them is answered
// before the window system is touched.
bool onlyAsksForText(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h" || arg == "-?" || arg == "--help-all" || arg == "--version" || arg == "-v") {
      return true;
    }
  }
  return false;
}

struct Options {
  std::optional<std::string> dataDir;
  int exitNow = -1;
};

Options parseOptions(const QCoreApplication& application) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QString::fromUtf8(kDescription));
  const QCommandLineOption dataDir(QStringLiteral("data-dir"),
                                   QStringLiteral("Where settings, selection, user devices and ports.conf live "
                                                  "(default: $ZAPVANE_DATA_DIR, else $XDG_DATA_HOME/zapvane, "
                                                  "else ~/.local/share/zapvane)."),
                                   QStringLiteral("DIR"));
  parser.addOption(dataDir);
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  Options options;
  const bool parsed = parser.parse(application.arguments());
  if (parser.isSet(QStringLiteral("help-all"))) {
    parser.process(application);  // prints Qt's options too, and exits
  } else if (parser.isSet(help)) {
    // The program's name, not the path it was started by.
    QString text = parser.helpText();
    text.replace(QStringLiteral("Usage: ") + application.arguments().first(), QStringLiteral("Usage: zapvane"));
    std::cout << text.toStdString() << kMore;
    options.exitNow = 0;
  } else if (parser.isSet(version)) {
    std::cout << "zapvane " << zapvane::kVersion << "\n";
    options.exitNow = 0;
  } else if (!parsed || !parser.positionalArguments().isEmpty()) {
    const QString why = parsed ? QStringLiteral("unknown argument ") + parser.positionalArguments().first()
                               : parser.errorText();
    std::cerr << "zapvane: " << why.toStdString() << " (see --help)\n";
    options.exitNow = 2;
  } else if (parser.isSet(dataDir)) {
    options.dataDir = parser.value(dataDir).toStdString();
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
  std::unique_ptr<QCoreApplication> application;
  if (onlyAsksForText(argc, argv)) {
    application = std::make_unique<QCoreApplication>(argc, argv);
  } else {
    application = std::make_unique<QApplication>(argc, argv);
    // Lets a Wayland desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("zapvane"));
  }
  QCoreApplication::setApplicationName(QStringLiteral("Zapvane"));
  QCoreApplication::setApplicationVersion(QString::fromUtf8(zapvane::kVersion));
  const Options options = parseOptions(*application);
  if (options.exitNow >= 0) return options.exitNow;

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
