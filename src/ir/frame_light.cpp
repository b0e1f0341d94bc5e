#include "ir/frame_light.h"

#include <algorithm>
#include <limits>

#include "ir/frame_encoder.h"
#include "ir/frame_primitives.h"
#include "platform/sim_port_opener.h"
#include "platform/virtual_counter.h"

namespace zapvane {

namespace {

class SilentMessages final : public MessageSink {
 public:
  void show(const Message&) override {}
};

}  // namespace

FrameLight composeFrameLight(const DeviceProfile& profile, int32_t command, const AdjustmentsInForce& adjustments) {
  VirtualCounter counter;
  PulseTimer timer(counter, adjustments);
  timer.calibrateTimer();
  SimPortOpener opener(counter);
  SilentMessages messages;
  const IrSettings settings;
  IrPort port(opener, messages, settings);
  port.openForSending();
  PortPrimitives primitives(timer, port);
  sendFrame(primitives, profile, command);
  const std::vector<Burst>& bursts = opener.opened()->pendingBursts();
  FrameLight light{mode2Durations(bursts, counter.frequency(), counter.now()), 0};
  if (!bursts.empty()) light.nanoseconds = counter.elapsedNanoseconds() - counter.nanosecondsAt(bursts.front().startTick);
  port.closePort();
  return light;
}

std::vector<uint32_t> kernelPulses(const std::vector<int64_t>& durations) {
  std::vector<uint32_t> values;
  bool join = false;
  for (size_t i = 0; i < durations.size(); ++i) {
    const auto value = static_cast<uint32_t>(std::clamp<int64_t>(durations[i], 1, std::numeric_limits<uint32_t>::max()));
    const bool pulse = i % 2 == 0;
    if (!pulse && (i + 1 == durations.size() || durations[i] == 0)) {
      join = durations[i] == 0;
      continue;
    }
    if (pulse && join && !values.empty()) {
      values.back() += value;
    } else {
      values.push_back(value);
    }
    join = false;
  }
  return values;
}

}  // namespace zapvane
