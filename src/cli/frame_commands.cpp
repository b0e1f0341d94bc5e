#include <memory>

#include "cli/commands.h"
#include "ir/frame_encoder.h"
#include "ir/frame_recorder.h"
#include "ir/ir_port.h"
#include "platform/sim_transmitter.h"
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
  FrameRequest request;
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string option;
    std::string value;
    if (arg == "--space-adjust" || arg == "--mark-adjust") {
      if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
      option = arg;
      value = args[++i];
    } else if (arg.rfind("--space-adjust=", 0) == 0 || arg.rfind("--mark-adjust=", 0) == 0) {
      option = arg.substr(0, arg.find('='));
      value = arg.substr(arg.find('=') + 1);
    } else if (arg.size() > 1 && arg[0] == '-' && arg.find_first_not_of("0123456789", 1) != std::string::npos) {
      throw UsageError("unknown option " + arg);
    } else {
      positional.push_back(arg);
      continue;
    }
    (option == "--space-adjust" ? request.spaceAdjust : request.markAdjust) = parseAdjustment(value, option);
  }
  if (positional.size() != 2) throw UsageError("needs <device> <command>");
  request.device = positional[0];
  request.command = positional[1];
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
  const int32_t index = resolveDevice(core, request.device);
  const int32_t command = parseNumber(request.command, "command index");
  DeviceProfile& device = *core.catalogue.entries[static_cast<size_t>(index)];
  core.current.device = &device;
  core.current.catalogueIndex = index;
  if (device.isLearned != 0) {
    device.spaceAdjust = request.spaceAdjust;
    device.markAdjust = request.markAdjust;
  } else {
    core.settings.spaceAdjust = request.spaceAdjust;
    core.settings.markAdjust = request.markAdjust;
  }
  const std::string name = deviceName(device);
  if (command < 0 || command >= device.commandCount) {
    throw CommandError("'" + name + "' has commands 0.." + std::to_string(device.commandCount - 1) + ", not " +
                       request.command);
  }
  if (!commandExists(command, device)) {
    throw CommandError("'" + name + "' has no command " + request.command);
  }
  return {&device, command};
}

// Hands out one simulated transmitter and keeps sight of it.
class SimulatorOpener final : public PortOpener {
 public:
  explicit SimulatorOpener(PerformanceCounter& counter) : counter_(counter) {}
  std::unique_ptr<SerialDevice> open(const std::string&, std::string&) override {
    auto sim = std::make_unique<SimTransmitter>(counter_, std::string());
    opened_ = sim.get();
    return sim;
  }
  SimTransmitter* opened() const { return opened_; }

 private:
  PerformanceCounter& counter_;
  SimTransmitter* opened_ = nullptr;
};

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
  SimulatorOpener opener(counter);
  StderrMessages messages;
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
