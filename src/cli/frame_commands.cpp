#include <memory>

#include "app/remote_export.h"
#include "cli/commands.h"
#include "ir/frame_encoder.h"
#include "ir/frame_recorder.h"
#include "ir/ir_port.h"
#include "platform/virtual_platform.h"

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
    fail(Status::invalidArgument(option + " must be between -5 and 5, got " + text));
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

PreparedFrame prepareFrame(Remote& remote, const FrameRequest& request) {
  const ChosenCommand chosen = chooseCommand(remote, request.device, request.command);
  if (chosen.device->learned()) {
    chosen.device->spaceAdjust = request.spaceAdjust;
    chosen.device->markAdjust = request.markAdjust;
  } else {
    remote.settings.spaceAdjust = request.spaceAdjust;
    remote.settings.markAdjust = request.markAdjust;
  }
  return {chosen.device, chosen.command};
}

}  // namespace

int runFrame(Context& context, const std::vector<std::string>& args) {
  const FrameRequest request = parseFrameRequest(args);
  VirtualPlatform platform;
  platform.realFiles = true;
  const auto remote = startRemote(platform, context, Access::read);
  const PreparedFrame frame = prepareFrame(*remote, request);
  FrameRecorder recorder(remote->timer);
  sendFrame(recorder, *frame.device, frame.command);
  context.out << frameStepLines(recorder.steps());
  return kExitOk;
}

int runPulses(Context& context, const std::vector<std::string>& args) {
  const FrameRequest request = parseFrameRequest(args);
  VirtualPlatform platform;
  platform.everyPortSimulated = true;  // the light of the frame, whatever port is configured
  platform.realFiles = true;
  const auto remote = startRemote(platform, context, Access::read);
  const PreparedFrame frame = prepareFrame(*remote, request);
  std::vector<int64_t> light;
  const Status sent = frameLight(*remote, platform, *frame.device, frame.command, light);
  if (!sent.isOk()) fail(sent);
  context.out << mode2Text(light);
  return kExitOk;
}

}  // namespace zapvane::cli
