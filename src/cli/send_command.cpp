#include <chrono>
#include <thread>

#include "cli/commands.h"
#include "ir/transmit_worker.h"
#include "platform/ports_config.h"

namespace zapvane::cli {

int runSend(Context& context, const std::vector<std::string>& args) {
  const ParsedArgs parsed = parseArgs(args, {"--hold", "--port"}, 2, "<device> <command>");
  int32_t holdMs = 0;
  if (auto v = parsed.value("--hold")) {
    holdMs = parseNumber(*v, "--hold value");
    if (holdMs < 0) throw UsageError("--hold takes milliseconds, 0 or more");
  }
  std::optional<int32_t> comPort;
  if (auto v = parsed.value("--port")) {
    comPort = parseNumber(*v, "--port value");
    if (*comPort < 1) throw UsageError("--port takes a COM port number from 1");
  }

  RemoteCore core;
  MonotonicCounter counter;
  PulseTimer timer(counter, core.adjustments);
  StreamMessages messages(context.err);
  ProblemReporter problems(context.err, "zapvane-cli");
  const DataFiles files = DataFiles::in(context.dataDir);
  startRemote(core, files, &timer, messages, problems);
  const ChosenCommand chosen = chooseCommand(core, parsed.positional[0], parsed.positional[1]);
  if (comPort) core.settings.port = *comPort - 1;  // for this send only; the settings file keeps its port

  ConfiguredPortOpener opener(loadPortsConfig(files.portsConfig), counter, files.simLog);
  IrPort port(opener, messages, core.settings);
  RealSleeper sleeper;
  RealThreadPriority priority;
  SilentBeeper beeper;
  IdleTimeouts idle;
  TransmitWorker worker({core, port, timer, sleeper, priority, beeper, idle, messages});

  // A tap held for the given time: the worker finishes its frame, gap and
  // pause after the pen comes up.
  core.pen.shiftPage = false;
  core.pen.pressedButton = chosen.command;
  worker.start();
  std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
  core.pen.buttonHeld = false;
  worker.join();
  return worker.lastOpened() ? kExitOk : kExitFailed;
}

}  // namespace zapvane::cli
