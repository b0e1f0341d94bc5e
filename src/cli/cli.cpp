#include "cli/cli.h"

#include <cstdlib>

#include "app/version.h"
#include "cli/commands.h"
#include "platform/data_dir.h"

namespace zapvane::cli {

namespace {

void printUsage(std::ostream& out) {
  out << "Usage: zapvane-cli [--data-dir DIR] [--wait SECONDS] <command> [arguments]\n"
         "\n"
         "Sends and inspects consumer-infrared commands without a window.\n"
         "\n"
         "Commands:\n";
  for (const Subcommand& sub : subcommands()) out << "  " << sub.synopsis << "\n";
  out << "\n"
         "Options:\n"
         "  --data-dir DIR  where settings, selection, user devices and ports.conf live\n"
         "                  (default: $ZAPVANE_DATA_DIR, else $XDG_DATA_HOME/zapvane,\n"
         "                  else ~/.local/share/zapvane)\n"
         "  --wait SECONDS  a command that changes the files waits this long for a window\n"
         "                  or another command that has the data folder (default 0)\n"
         "  --help          this text; 'zapvane-cli <command> --help' for one command\n"
         "  --version       the version\n"
         "\n"
         "Exit codes: 0 success, 1 the request cannot be carried out, 2 bad usage.\n";
}

// --wait's seconds, or an invalidArgument failure.
double waitSecondsFrom(const std::string& text) {
  constexpr double kLongestWait = 86400;
  char* end = nullptr;
  const double seconds = std::strtod(text.c_str(), &end);
  // Written out so that "nan", "inf" and "1e999" are refused too.
  if (text.empty() || end != text.c_str() + text.size() || !(seconds >= 0 && seconds <= kLongestWait)) {
    fail(Status::invalidArgument("--wait takes seconds from 0 to 86400, not '" + text + "'"));
  }
  return seconds;
}

}  // namespace

int exitCodeFor(const Status& status) {
  switch (status.code()) {
    case Status::Code::ok: return kExitOk;
    case Status::Code::invalidArgument: return kExitUsage;
    case Status::Code::notFound:
    case Status::Code::corruption:
    case Status::Code::ioError:
    case Status::Code::busy: break;
  }
  return kExitFailed;
}

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  ParsedArgs global;
  double waitSeconds = 0;
  try {
    global = scanOptions(args, {"--data-dir", "--wait"}, {"--help", "-h", "--version"}, true);
    if (auto wait = global.value("--wait")) waitSeconds = waitSecondsFrom(*wait);
  } catch (const Failure& failure) {
    err << "zapvane-cli: " << failure.status.message() << " (see --help)\n";
    return exitCodeFor(failure.status);
  }
  if (global.flag("--help") || global.flag("-h")) {
    printUsage(out);
    return kExitOk;
  }
  if (global.flag("--version")) {
    out << "zapvane-cli " << kVersion << "\n";
    return kExitOk;
  }
  if (global.positional.empty()) {
    err << "zapvane-cli: no command given (see --help)\n";
    return kExitUsage;
  }
  const std::optional<std::string> dataDirOption = global.value("--data-dir");

  const std::string& name = global.positional.front();
  for (const Subcommand& sub : subcommands()) {
    if (name != sub.name) continue;
    const std::vector<std::string> rest(global.positional.begin() + 1, global.positional.end());
    for (const std::string& arg : rest) {
      if (arg == "--") break;  // what follows is text, "--help" included
      if (arg == "--help" || arg == "-h") {
        out << "Usage: zapvane-cli [--data-dir DIR] " << sub.synopsis << "\n\n" << sub.help;
        return kExitOk;
      }
    }
    Context context{resolveDataDir(dataDirOption), out, err, waitSeconds};
    try {
      return sub.run(context, rest);
    } catch (const Failure& failure) {
      err << "zapvane-cli " << sub.name << ": " << failure.status.message() << "\n";
      return exitCodeFor(failure.status);
    }
  }
  err << "zapvane-cli: unknown command " << name << " (see --help)\n";
  return kExitUsage;
}

}  // namespace zapvane::cli
