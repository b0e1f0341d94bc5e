#include <chrono>
#include <thread>

#include "catalogue/text.h"
#include "cli/commands.h"
#include "app/user_device_actions.h"
#include "learn/sample_capture.h"
#include "platform/pulse_file.h"
#include "platform/real_platform.h"
#include "platform/virtual_platform.h"
#include "storage/user_devices_file.h"

namespace zapvane::cli {

namespace {

constexpr int64_t kRemoteStartNanoseconds = 100'000'000;  // the remote is pressed 0.1 s after the port opens
constexpr int64_t kVirtualPollNanoseconds = 20'000;
constexpr auto kFirstLightCheck = std::chrono::milliseconds(10);

// A user device of the catalogue, or an invalidArgument failure.
int32_t resolveUserDevice(const DeviceCatalogue& catalogue, const std::string& text) {
  const int32_t index = resolveDevice(catalogue, text);
  if (index < kBuiltInCount) fail(Status::invalidArgument("'" + text + "' is a built-in device; only user devices learn"));
  return index - kBuiltInCount;
}

// A label slot (0..9) or the name of a shift-page command, or an
// invalidArgument failure.
int32_t labelSlotOf(const DeviceProfile& device, const std::string& text) {
  const bool index = !text.empty() && text.find_first_not_of("-0123456789") == std::string::npos;
  const int32_t slot = index ? parseNumber(text, "label slot")
                             : resolveCommandOf(device, text) - (device.commandCount - device.labelCount);
  if (slot < 0 || slot >= kUserLabelSlots) {
    fail(Status::invalidArgument(index ? "label slots are 0..9" : "'" + text + "' is no shift-page command"));
  }
  return slot;
}

}  // namespace

int runNewDevice(Context& context, const std::vector<std::string>& args) {
  const ParsedArgs parsed = parseArgs(args, {"--skin"}, 1, "<name> --skin tv|vcr");
  refuseControlCharacters(parsed.positional[0], "device names");
  const auto skinText = parsed.value("--skin");
  if (!skinText || (*skinText != "tv" && *skinText != "vcr")) fail(Status::invalidArgument("--skin must be tv or vcr"));
  RealPlatform platform("zapvane-cli");
  const auto remote = startRemote(platform, context, Access::write);
  const CreateResult result =
      createUserDevice(*remote, utf8ToUtf16(parsed.positional[0]), *skinText == "vcr" ? kVcrSkin : kTvSkin);
  if (result != CreateResult::created) {
    const Message refusal = createRefusal(result);
    context.err << refusal.caption << ": " << refusal.text << '\n';
    return result == CreateResult::emptyName ? kExitUsage : kExitFailed;
  }
  remote->learning.editingExisting = false;
  endLearning(*remote);
  requireSaved(*remote);
  context.out << remote->current.catalogueIndex << '\n';
  return kExitOk;
}

int runLabel(Context& context, const std::vector<std::string>& args) {
  const ParsedArgs parsed = parseArgs(args, {}, 3, "<device> <slot> <text>");
  refuseControlCharacters(parsed.positional[2], "labels");
  RealPlatform platform("zapvane-cli");
  const auto remote = startRemote(platform, context, Access::write);
  const int32_t user = resolveUserDevice(remote->catalogue, parsed.positional[0]);
  const int32_t slot = labelSlotOf(remote->catalogue.userDevices[static_cast<size_t>(user)], parsed.positional[1]);
  remote->learning.editedUserDevice = user;
  remote->learning.labelSlot = slot;
  nameCommand(*remote, utf8ToUtf16(parsed.positional[2]));
  const Status saved = saveUserDevices(remote->catalogue, remote->platform.files(), remote->files.userDevices);
  if (!saved.isOk()) fail(saved);
  return kExitOk;
}

int runLearn(Context& context, const std::vector<std::string>& args) {
  const ParsedArgs parsed = parseArgs(args, {"--from-pulses", "--gap", "--timeout"}, 2, "<device> <command>");
  const int32_t timeoutSeconds = parseTimeoutSeconds(parsed);
  std::optional<RemoteSignal> remote;
  if (auto file = parsed.value("--from-pulses")) {
    RemoteSignal signal;
    const Status read = readPulseFile(*file, signal);
    if (!read.isOk()) fail(read);
    if (auto gap = parsed.value("--gap")) {
      const int32_t ms = parseNumber(*gap, "--gap value");
      if (ms < 0) fail(Status::invalidArgument("--gap takes milliseconds, 0 or more"));
      signal.repeatPauseMicroseconds = int64_t{ms} * 1000;
    }
    remote = std::move(signal);
  } else if (parsed.value("--gap")) {
    fail(Status::invalidArgument("--gap goes with --from-pulses"));
  }

  // A remote played from a file is heard on a virtual clock, so the result
  // is the same every time.
  RealPlatform realPlatform("zapvane-cli");
  VirtualPlatform virtualPlatform;
  virtualPlatform.everyPortSimulated = true;
  virtualPlatform.realFiles = true;
  virtualPlatform.remote = remote;
  virtualPlatform.remoteDelayNanoseconds = kRemoteStartNanoseconds;
  virtualPlatform.pollNanoseconds = kVirtualPollNanoseconds;
  Platform& platform = remote ? static_cast<Platform&>(virtualPlatform) : realPlatform;
  const auto core = startRemote(platform, context, Access::write);

  const int32_t user = resolveUserDevice(core->catalogue, parsed.positional[0]);
  DeviceProfile& device = core->catalogue.userDevices[static_cast<size_t>(user)];
  const int32_t command = resolveCommandOf(device, parsed.positional[1]);
  if (command < 0 || command >= device.commandCount) {
    fail(Status::notFound("'" + printableDeviceName(device) + "' has commands 0.." + std::to_string(device.commandCount - 1)));
  }
  core->current.device = &device;
  core->learning.editedUserDevice = user;
  core->learning.learnSlot = command;

  if (!core->learnWorker.start()) return kExitFailed;
  if (!remote) context.err << "zapvane-cli learn: point the remote at the port and hold its button\n";
  // Until the first light the capture only waits; once it has started, its
  // second of listening runs to its end.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  while (core->learnWorker.waitingForSignal() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(kFirstLightCheck);
  }
  if (core->learnWorker.waitingForSignal()) {
    core->learnWorker.abandon();
    core->learnWorker.join();
    fail(Status::ioError("no light reached the port within " + std::to_string(timeoutSeconds) + " s"));
  }
  core->learnWorker.join();
  if (!core->port.deviceFailure().isOk()) return kExitFailed;  // the device's failure has been told
  if (core->learning.signalCut) {
    context.err << "zapvane-cli learn: the signal had more than " << kMaxLearnedPairs << " pairs; only the first "
                << kMaxLearnedPairs << " were learned\n";
  }

  const Status saved = saveUserDevices(core->catalogue, core->platform.files(), core->files.userDevices);
  if (!saved.isOk()) fail(saved);
  const LearnedSignal& signal = *device.learnedSlots[command];
  int pairs = 0;
  while (pairs < kSignalPairs && signal.mark(pairs) != kEndMark) ++pairs;
  context.out << pairs << " pairs learned into command " << command << " of '" << printableDeviceName(device) << "'\n";
  return kExitOk;
}

}  // namespace zapvane::cli
