#include "cli/cli.h"

#include <cstdlib>
#include <string_view>

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

// "--wait SECONDS" or "--wait=SECONDS" at args[i], as takeDataDirOption.
bool takeWaitOption(const std::vector<std::string>& args, size_t& i, double& seconds, Status& status) {
  static constexpr std::string_view kOption = "--wait";
  constexpr double kLongestWait = 86400;
  std::string text;
  if (args[i] == kOption) {
    if (i + 1 >= args.size()) {
      status = Status::invalidArgument("--wait needs seconds");
      return true;
    }
    text = args[++i];
  } else if (args[i].rfind("--wait=", 0) == 0) {
    text = args[i].substr(kOption.size() + 1);
  } else {
    return false;
  }
  char* end = nullptr;
  seconds = std::strtod(text.c_str(), &end);
  // Written out so that "nan", "inf" and "1e999" are refused too.
  if (text.empty() || end != text.c_str() + text.size() || !(seconds >= 0 && seconds <= kLongestWait)) {
    status = Status::invalidArgument("--wait takes seconds from 0 to 86400, not '" + text + "'");
  }
  return true;
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
  std::optional<std::string> dataDirOption;
  double waitSeconds = 0;
  size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      ++i;
      break;
    }
    if (arg == "--help" || arg == "-h") {
      printUsage(out);
      return kExitOk;
    }
    if (arg == "--version") {
      out << "zapvane-cli " << kVersion << "\n";
      return kExitOk;
    }
    Status status = Status::ok();
    if (takeWaitOption(args, i, waitSeconds, status) || takeDataDirOption(args, i, dataDirOption, status)) {
      if (!status.isOk()) {
        err << "zapvane-cli: " << status.message() << "\n";
        return exitCodeFor(status);
      }
    } else if (arg.rfind("-", 0) == 0) {
      err << "zapvane-cli: unknown option " << arg << " (see --help)\n";
      return kExitUsage;
    } else {
      break;
    }
  }
  if (i >= args.size()) {
    err << "zapvane-cli: no command given (see --help)\n";
    return kExitUsage;
  }

  const std::string& name = args[i];
  for (const Subcommand& sub : subcommands()) {
    if (name != sub.name) continue;
    const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
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
