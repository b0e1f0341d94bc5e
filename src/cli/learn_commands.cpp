#include <fstream>
#include <sstream>

#include "catalogue/text.h"
#include "cli/commands.h"
#include "learn/learn_capture.h"
#include "learn/user_devices.h"
#include "platform/ports_config.h"
#include "platform/sim_port_opener.h"
#include "platform/virtual_counter.h"
#include "storage/user_devices_file.h"

namespace zapvane::cli {

namespace {

constexpr int64_t kRemoteStartNanoseconds = 100'000'000;  // the remote is pressed 0.1 s after the port opens
constexpr int64_t kVirtualPollNanoseconds = 20'000;

// A user device of the catalogue, or UsageError.
int32_t resolveUserDevice(const RemoteCore& core, const std::string& text) {
  const int32_t index = resolveDevice(core, text);
  if (index < kBuiltInCount) throw UsageError("'" + text + "' is a built-in device; only user devices learn");
  return index - kBuiltInCount;
}

// No window: the capture's reports go nowhere.
class NoWindow final : public LearnWindow {
 public:
  void updateMenuStates() override {}
  void repaintNow() override {}
  void command(int32_t) override {}
};

std::string readText(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw CommandError("cannot read " + path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

int runNewDevice(Context& context, const std::vector<std::string>& args) {
  const ParsedArgs parsed = parseArgs(args, {"--skin"}, 1, "<name> --skin tv|vcr");
  const auto skinText = parsed.value("--skin");
  if (!skinText || (*skinText != "tv" && *skinText != "vcr")) throw UsageError("--skin must be tv or vcr");
  RemoteCore core;
  startCore(core, context);
  const CreateResult result =
      createUserDevice(core, utf8ToUtf16(parsed.positional[0]), *skinText == "vcr" ? kVcrSkin : kTvSkin);
  if (result != CreateResult::created) {
    const Message refusal = createRefusal(result);
    context.err << refusal.caption << ": " << refusal.text << '\n';
    return result == CreateResult::emptyName ? kExitUsage : kExitFailed;
  }
  ProblemReporter problems(context.err, "zapvane-cli");
  const DataFiles files = DataFiles::in(context.dataDir);
  core.learning.editingExisting = false;
  endLearning(core, files, problems);
  context.out << core.current.catalogueIndex << '\n';
  return kExitOk;
}

int runLabel(Context& context, const std::vector<std::string>& args) {
  const ParsedArgs parsed = parseArgs(args, {}, 3, "<device> <slot> <text>");
  RemoteCore core;
  startCore(core, context);
  const int32_t user = resolveUserDevice(core, parsed.positional[0]);
  const int32_t slot = parseNumber(parsed.positional[1], "label slot");
  if (slot < 0 || slot >= kUserLabelSlots) throw UsageError("label slots are 0..9");
  core.learning.editedUserDevice = user;
  core.learning.labelSlot = slot;
  nameCommand(core, utf8ToUtf16(parsed.positional[2]));
  const Status saved = saveUserDevices(core.catalogue, DataFiles::in(context.dataDir).userDevices);
  if (!saved.isOk()) throw CommandError(saved.message());
  return kExitOk;
}

int runLearn(Context& context, const std::vector<std::string>& args) {
  const ParsedArgs parsed = parseArgs(args, {"--from-pulses", "--gap"}, 2, "<device> <command>");
  std::optional<RemoteSignal> remote;
  if (auto file = parsed.value("--from-pulses")) {
    RemoteSignal signal;
    std::string error;
    if (!parseRemoteSignal(readText(*file), signal, error)) throw UsageError(*file + ": " + error);
    if (auto gap = parsed.value("--gap")) {
      const int32_t ms = parseNumber(*gap, "--gap value");
      if (ms < 0) throw UsageError("--gap takes milliseconds, 0 or more");
      signal.repeatPauseMicroseconds = int64_t{ms} * 1000;
    }
    remote = std::move(signal);
  } else if (parsed.value("--gap")) {
    throw UsageError("--gap goes with --from-pulses");
  }

  RemoteCore core;
  const DataFiles files = DataFiles::in(context.dataDir);
  std::unique_ptr<PerformanceCounter> counter;
  VirtualCounter* virtualClock = nullptr;
  if (remote) {
    auto clock = std::make_unique<VirtualCounter>();
    virtualClock = clock.get();
    counter = std::move(clock);
  } else {
    counter = std::make_unique<MonotonicCounter>();
  }
  PulseTimer timer(*counter, core.adjustments);
  StreamMessages messages(context.err);
  ProblemReporter problems(context.err, "zapvane-cli");
  startRemote(core, files, &timer, messages, problems);

  const int32_t user = resolveUserDevice(core, parsed.positional[0]);
  DeviceProfile& device = core.catalogue.userDevices[static_cast<size_t>(user)];
  const int32_t command = parseNumber(parsed.positional[1], "command index");
  if (command < 0 || command >= device.commandCount) {
    throw CommandError("'" + deviceName(device) + "' has commands 0.." + std::to_string(device.commandCount - 1));
  }
  core.current.device = &device;
  core.learning.editedUserDevice = user;
  core.learning.learnSlot = command;

  std::unique_ptr<PortOpener> opener;
  if (remote) {
    // A remote pointed at the simulated port, on the virtual clock.
    auto simulated = std::make_unique<SimPortOpener>(*virtualClock);
    simulated->onOpen = [virtualClock, &remote](SimTransmitter& sim) {
      sim.setReadCost(virtualClock, kVirtualPollNanoseconds);
      sim.pointRemote(*remote, virtualClock->elapsedNanoseconds() + kRemoteStartNanoseconds);
    };
    opener = std::move(simulated);
  } else {
    opener = std::make_unique<ConfiguredPortOpener>(loadPortsConfig(files.portsConfig), *counter, files.simLog);
  }
  IrPort port(*opener, messages, core.settings);
  if (!openForLearning(port)) return kExitFailed;
  if (!remote) context.err << "zapvane-cli learn: point the remote at the port and hold its button\n";
  RealThreadPriority priority;
  SilentBeeper beeper;
  NoWindow window;
  std::atomic<bool> waiting{true};
  runLearnCapture({core, port, timer, priority, beeper, window}, waiting);

  const Status saved = saveUserDevices(core.catalogue, files.userDevices);
  if (!saved.isOk()) throw CommandError(saved.message());
  const LearnedSignal& signal = *device.learnedSlots[command];
  int pairs = 0;
  while (pairs < kSignalPairs && signal.mark(pairs) != kEndMark) ++pairs;
  context.out << pairs << " pairs learned into command " << command << " of '" << deviceName(device) << "'\n";
  return kExitOk;
}

}  // namespace zapvane::cli
