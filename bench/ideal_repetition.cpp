#include "ideal_repetition.h"

#include <algorithm>

#include "ir/frame_encoder.h"
#include "ir/frame_primitives.h"
#include "ir/ir_port.h"
#include "ir/pulse_timer.h"
#include "ir/transmit_worker.h"
#include "platform/messages.h"
#include "platform/sim_transmitter.h"
#include "platform/virtual_counter.h"
#include "platform/sim_port_opener.h"

namespace zapvane::bench {

IdealRepetition idealRepetition(const Remote& remote, int32_t command, int64_t frequency) {
  const DeviceProfile& device = *remote.current.device.load();
  // A clock, timer and port of its own: the remote's are the real ones.
  VirtualCounter clock(frequency);
  PulseTimer timer(clock, remote.adjustments);
  timer.calibrateTimer();
  SimPortOpener opener(clock);
  IdealRepetition ideal;
  opener.onOpen = [&ideal](SimTransmitter& sim) {
    sim.onFrame = [&ideal](const std::vector<Burst>& bursts) {
      for (const Burst& burst : bursts) ideal.burstBytes.push_back(burst.bytes);
    };
  };
  StderrMessages messages;
  IrPort port(opener, messages, remote.settings);
  port.openForSending();

  // The worker's own sequence: the frame, then a stamp and the frame gap.
  PortPrimitives primitives(timer, port);
  sendFrame(primitives, device, command);
  timer.markStamp();
  timer.waitSince(device.frameGap);
  const int64_t end = clock.now();
  const int64_t firstBurst =
      opener.opened()->pendingBursts().empty() ? end : opener.opened()->pendingBursts().front().startTick;
  port.frameDone();
  port.closePort();

  ideal.frameAndGapTicks = end - firstBurst;
  // A sleep of 0 or less returns at once.
  ideal.pauseMilliseconds = std::max(0, pauseAfterFrame(device, command));
  return ideal;
}

}  // namespace zapvane::bench
