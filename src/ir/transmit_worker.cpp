#include "ir/transmit_worker.h"

#include "ir/auto_adjust.h"
#include "ir/frame_encoder.h"
#include "ir/frame_primitives.h"
#include "ir/kernel_frame.h"

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

TransmitReport runTransmitWorker(const TransmitContext& context, int32_t frameLimit) {
  TransmitReport report;
  if (!context.port.openForSending()) {
    context.port.closePort();
    return report;
  }
  report.opened = true;
  if (context.settings.soundOn != 0) context.beeper.playAsync();
  // A kernel IR device times the light itself: the worker only sleeps, and
  // needs no real-time priority.
  LircDevice* const kernel = context.port.device()->kernelIr();
  if (kernel == nullptr) context.priority.raiseToTimeCritical();

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
  bool wholeFrameSent = false;
  int32_t framesSent = 0;
  for (;;) {
    // The window may switch devices between repetitions; each frame goes to
    // the device shown when it starts.
    DeviceProfile& device = *context.current.device.load();
    bool disturbed = false;
    if (kernel != nullptr) {
      const FrameLight light = composeFrameLight(device, command, context.timer.adjustments());
      const Status sent = sendKernelFrame(*kernel, light, context.timer, context.sleeper);
      if (!sent.isOk()) {
        context.port.reportDeviceFailure(sent);
        break;
      }
      context.timer.sleepUntil(counter.now() + context.timer.waitTicks(device.frameGap), context.sleeper);
    } else {
      context.timer.startFrame();
      sendFrame(primitives, device, command);
      disturbed = context.timer.frameDisturbed();
      context.timer.markStamp();
      // Still time-critical: a sleeping thread spends none of the real-time
      // budget, and wakes ahead of every normal thread for the spun end.
      context.timer.sleepThenWaitSince(device.frameGap, context.sleeper);
    }

    context.priority.dropToNormal();
    context.port.frameDone();
    context.sleeper.sleepMilliseconds(pauseAfterFrame(device, command));
    if (disturbed) {
      ++report.disturbed;
    } else {
      wholeFrameSent = true;
    }
    if (++framesSent == frameLimit) context.pen.buttonHeld = false;
    bool resend = false;
    if (!context.pen.buttonHeld) {
      // The device may never have understood a press whose every frame was
      // held up; a held one has had its next repetitions instead.
      if (wholeFrameSent || report.resent == kMostResends) break;
      resend = true;
      ++report.resent;
    } else if (context.autoAdjustActive) {
      const int64_t now = counter.now();
      if (static_cast<float>(now - stepStart) * context.timer.microsecondsPerTick() >
          static_cast<float>(kCandidateMicroseconds)) {
        if (!stepAutoAdjust(device)) exhaustAutoAdjust(context);
        stepStart = counter.now();
      }
    }
    if (kernel == nullptr) context.priority.raiseToTimeCritical();
    if (!resend && !context.pen.buttonHeld) break;
  }

  context.priority.dropToNormal();
  context.port.closePort();
  return report;
}

void TransmitWorker::start() { launch(true, 0); }

void TransmitWorker::tap() { launch(false, 0); }

void TransmitWorker::sendFrames(int32_t frames) { launch(true, frames); }

void TransmitWorker::launch(bool held, int32_t frameLimit) {
  join();
  context_.pen.buttonHeld = held;
  transmitThread_ = true;
  thread_ = std::thread([this, frameLimit] {
    const TransmitReport report = runTransmitWorker(context_, frameLimit);
    lastDisturbed_ = report.disturbed;
    lastResent_ = report.resent;
    lastOpened_ = report.opened;
    transmitThread_ = false;
  });
}

void TransmitWorker::join() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace zapvane
