#include "cli/cli.h"

#include "app/version.h"
#include "cli/commands.h"
#include "platform/data_dir.h"

namespace zapvane::cli {

namespace {

void printUsage(std::ostream& out) {
  out << "Usage: zapvane-cli [--data-dir DIR] <command> [arguments]\n"
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
         "  --help          this text; 'zapvane-cli <command> --help' for one command\n"
         "  --version       the version\n"
         "\n"
         "Exit codes: 0 success, 1 the request cannot be carried out, 2 bad usage.\n";
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
    if (takeDataDirOption(args, i, dataDirOption, status)) {
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
    Context context{resolveDataDir(dataDirOption), out, err};
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
