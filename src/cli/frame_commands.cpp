#include <memory>

#include "cli/commands.h"
#include "ir/frame_encoder.h"
#include "ir/frame_recorder.h"
#include "ir/ir_port.h"
#include "platform/sim_port_opener.h"
#include "platform/virtual_counter.h"

namespace zapvane::cli {

namespace {

struct FrameRequest {
  std::string device;
  std::string command;
  int32_t spaceAdjust = 0;
  int32_t markAdjust = 0;
};

int32_t parseAdjustment(const std::string& text, const std::string& option) {
  const int32_t value = parseNumber(text, option + " value");
  if (value < kMinAdjust || value > kMaxAdjust) {
    throw UsageError(option + " must be between -5 and 5, got " + text);
  }
  return value;
}

FrameRequest parseFrameRequest(const std::vector<std::string>& args) {
  const ParsedArgs parsed = parseArgs(args, {"--space-adjust", "--mark-adjust"}, 2, "<device> <command>");
  FrameRequest request{parsed.positional[0], parsed.positional[1]};
  if (auto v = parsed.value("--space-adjust")) request.spaceAdjust = parseAdjustment(*v, "--space-adjust");
  if (auto v = parsed.value("--mark-adjust")) request.markAdjust = parseAdjustment(*v, "--mark-adjust");
  return request;
}

// Makes the requested device current, with the requested adjustments in
// force for it, and checks that the command has something to send.
struct PreparedFrame {
  const DeviceProfile* device;
  int32_t command;
};

PreparedFrame prepareFrame(RemoteCore& core, const Context& context, const std::vector<std::string>& args) {
  const FrameRequest request = parseFrameRequest(args);
  startCore(core, context);
  const ChosenCommand chosen = chooseCommand(core, request.device, request.command);
  if (chosen.device->isLearned != 0) {
    chosen.device->spaceAdjust = request.spaceAdjust;
    chosen.device->markAdjust = request.markAdjust;
  } else {
    core.settings.spaceAdjust = request.spaceAdjust;
    core.settings.markAdjust = request.markAdjust;
  }
  return {chosen.device, chosen.command};
}

}  // namespace

int runFrame(Context& context, const std::vector<std::string>& args) {
  RemoteCore core;
  const PreparedFrame frame = prepareFrame(core, context, args);
  VirtualCounter counter;
  PulseTimer timer(counter, core.adjustments);
  timer.calibrateTimer();
  FrameRecorder recorder(timer);
  sendFrame(recorder, *frame.device, frame.command);
  context.out << frameStepLines(recorder.steps());
  return kExitOk;
}

int runPulses(Context& context, const std::vector<std::string>& args) {
  RemoteCore core;
  const PreparedFrame frame = prepareFrame(core, context, args);
  VirtualCounter counter;
  PulseTimer timer(counter, core.adjustments);
  timer.calibrateTimer();
  SimPortOpener opener(counter);
  StreamMessages messages(context.err);
  IrPort port(opener, messages, core.settings);
  if (!port.openForSending() || opener.opened() == nullptr) {
    port.closePort();
    throw CommandError("cannot open the simulated port");
  }
  PortPrimitives primitives(timer, port);
  sendFrame(primitives, *frame.device, frame.command);
  const auto durations = mode2Durations(opener.opened()->pendingBursts(), counter.frequency(), counter.now());
  context.out << mode2Text(durations);
  port.closePort();
  return kExitOk;
}

}  // namespace zapvane::cli
