#include <chrono>
#include <thread>

#include "cli/commands.h"
#include "platform/real_platform.h"

namespace zapvane::cli {

namespace {

constexpr int32_t kMaxSendCount = 100'000;  // a held button's frames of several hours

}  // namespace

int runSend(Context& context, const std::vector<std::string>& args) {
  const ParsedArgs parsed = parseArgs(args, {"--hold", "--port", "--count"}, 2, "<device> <command>");
  int32_t holdMs = 0;
  if (auto v = parsed.value("--hold")) {
    holdMs = parseNumber(*v, "--hold value");
    if (holdMs < 0) fail(Status::invalidArgument("--hold takes milliseconds, 0 or more"));
  }
  int32_t count = 0;
  if (auto v = parsed.value("--count")) {
    count = parseNumber(*v, "--count value");
    if (count < 1 || count > kMaxSendCount) {
      fail(Status::invalidArgument("--count takes frames from 1 to " + std::to_string(kMaxSendCount)));
    }
    if (parsed.value("--hold")) fail(Status::invalidArgument("--count and --hold cannot go together"));
  }
  std::optional<int32_t> comPort;
  if (auto v = parsed.value("--port")) comPort = parseComPort(*v);

  RealPlatform platform("zapvane-cli");
  const auto remote = startRemote(platform, context, Access::read);
  const ChosenCommand chosen = chooseCommand(*remote, parsed.positional[0], parsed.positional[1]);
  if (comPort) remote->settings.port = *comPort - 1;  // for this send only; the settings file keeps its port

  // A tap held for the given time: the worker finishes its frame, gap and
  // pause after the pen comes up.
  remote->pen.shiftPage = false;
  remote->pen.pressedButton = chosen.command;
  // A tap (no hold) is decided before the worker starts, so a busy machine
  // that keeps this thread waiting cannot turn it into a held button.
  if (count > 0) {
    remote->worker.sendFrames(count);
  } else if (holdMs > 0) {
    remote->worker.start();
    std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
    remote->pen.buttonHeld = false;
  } else {
    remote->worker.tap();
  }
  remote->worker.join();
  if (!remote->worker.lastOpened()) return kExitFailed;
  if (!remote->port.deviceFailure().isOk()) return kExitFailed;  // told with the port's message
  const Status recorded = remote->port.recordingFailure();
  if (!recorded.isOk()) fail(recorded);
  if (const int32_t disturbed = remote->worker.lastDisturbed(); disturbed > 0) {
    context.err << "zapvane-cli: " << disturbed << (disturbed == 1 ? " frame" : " frames")
                << " disturbed by the system (a burst started late), " << remote->worker.lastResent()
                << " sent again\n";
  }
  return kExitOk;
}

}  // namespace zapvane::cli
