#include "ir/transmit_worker.h"

#include "ir/auto_adjust.h"
#include "ir/frame_encoder.h"
#include "ir/frame_primitives.h"

namespace zapvane {

int32_t pauseAfterFrame(const DeviceProfile& device, int32_t command) {
  if (device.learned()) return kLearnedPauseMilliseconds;
  if (device.codeTable == nullptr || command < 0 || command >= device.commandCount) return kPauseMilliseconds;
  return commandEntry(device, command).extraDelay() + kPauseMilliseconds;
}

namespace {

void exhaustAutoAdjust(const TransmitContext& context) {
  context.messages.show(autoAdjustExhausted());
  context.autoAdjustActive = false;
  context.pen.buttonHeld = false;
  context.idle.restoreIdleTimeouts();
}

}  // namespace

bool runTransmitWorker(const TransmitContext& context) {
  if (!context.port.openForSending()) {
    context.port.closePort();
    return false;
  }
  if (context.settings.soundOn != 0) context.beeper.playAsync();
  context.priority.raiseToTimeCritical();

  const int32_t command = context.pen.pressedCommand();
  PerformanceCounter& counter = context.timer.counter();
  int64_t stepStart = 0;
  if (context.autoAdjustActive) {
    stepStart = counter.now();
    DeviceProfile& device = *context.current.device.load();
    device.spaceAdjust = 0;
    device.markAdjust = 0;
  }

  PortPrimitives primitives(context.timer, context.port);
  do {
    // The window may switch devices between repetitions; each frame goes to
    // the device shown when it starts.
    DeviceProfile& device = *context.current.device.load();
    sendFrame(primitives, device, command);
    context.timer.markStamp();
    context.timer.waitSince(device.frameGap);

    context.priority.dropToNormal();
    context.port.frameDone();
    context.sleeper.sleepMilliseconds(pauseAfterFrame(device, command));
    if (!context.pen.buttonHeld) break;

    if (context.autoAdjustActive) {
      const int64_t now = counter.now();
      if (static_cast<float>(now - stepStart) * context.timer.microsecondsPerTick() >
          static_cast<float>(kCandidateMicroseconds)) {
        if (!stepAutoAdjust(device)) exhaustAutoAdjust(context);
        stepStart = counter.now();
      }
    }
    context.priority.raiseToTimeCritical();
  } while (context.pen.buttonHeld);

  context.priority.dropToNormal();
  context.port.closePort();
  return true;
}

void TransmitWorker::start() {
  join();
  context_.pen.buttonHeld = true;
  transmitThread_ = true;
  thread_ = std::thread([this] {
    lastOpened_ = runTransmitWorker(context_);
    transmitThread_ = false;
  });
}

void TransmitWorker::join() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace zapvane
