#include "learn/learn_capture.h"

#include <array>

#include "learn/sample_capture.h"

namespace zapvane {

bool openForLearning(IrPort& port) {
  if (!port.openDevice()) {
    port.closePort();
    return false;
  }
  if (LircDevice* kernel = port.device()->kernelIr()) {
    const Status ready = kernel->prepareReceiving();
    if (!ready.isOk()) {
      port.refuseOpening(ready);
      port.closePort();
      return false;
    }
  } else {
    configureInfraredLine(*port.device(), kLearningLine);
  }
  port.captureStop = false;
  return true;
}

CaptureEnd runLearnCapture(const LearnContext& context, std::atomic<bool>& waitingForSignal) {
  LearningState& learning = context.learning;
  SerialDevice& device = *context.port.device();
  PerformanceCounter& counter = context.timer.counter();
  context.window.updateMenuStates();
  learning.captureRunning = true;
  learning.signalCut = false;
  if (LircDevice* kernel = device.kernelIr()) return captureSamples(context, *kernel, waitingForSignal);
  const auto ticksPerSecond = static_cast<int64_t>(1000000.0f / context.timer.microsecondsPerTick());
  device.setQueueSizes(kLearnQueueBytes, kLearnQueueBytes);
  context.priority.raiseToTimeCritical();

  std::array<uint8_t, kPollBytes> buffer{};
  for (int i = 0; i < kDrainReads; ++i) device.read(buffer.data(), buffer.size());

  // The loop allocates nothing and computes nothing but the time-out test,
  // so that polls follow each other as closely as the port allows.
  std::array<CaptureEntry, kMaxCaptureEntries> entries{};
  int count = 0;
  bool heard = false;
  int64_t firstTime = 0;
  bool stopped = context.port.captureStop;
  while (!stopped) {
    if (context.port.captureStop) {
      stopped = true;
      break;
    }
    const long got = device.read(buffer.data(), buffer.size());
    const auto characters = static_cast<int32_t>(got > 0 ? got : 0);
    if (!heard) {
      if (characters == 0) {
        // Nothing yet: the capture's timing starts at the first character,
        // so until then it may wait without holding a processor.
        device.waitForInput(kQuietWaitMilliseconds);
        continue;
      }
      heard = true;
      firstTime = counter.now();
      waitingForSignal = false;
    }
    const int64_t now = counter.now();
    const bool timedOut = now - firstTime > ticksPerSecond;
    if (characters > 0 || timedOut) {
      entries[static_cast<size_t>(count)] = {counter.now(), characters};
      ++count;
      if (timedOut || count > kMaxCaptureEntries - 1) break;
    }
  }
  if (stopped) {
    // Whoever stopped the capture has closed the port; nothing is stored.
    context.priority.dropToNormal();
    learning.captureRunning = false;
    return CaptureEnd::stopped;
  }

  context.priority.dropToNormal();
  if (LearnedSignal* slot = slotBeingLearned(context)) {
    convertCapture(entries.data(), count, context.timer.microsecondsPerTick(), *slot);
  }
  return finishCapture(context);
}

LearnedSignal* slotBeingLearned(const LearnContext& context) {
  DeviceProfile& user = context.catalogue.userDevices[static_cast<size_t>(context.learning.editedUserDevice.load())];
  return user.learnedSlots != nullptr ? user.learnedSlots[context.learning.learnSlot.load()] : nullptr;
}

CaptureEnd finishCapture(const LearnContext& context) {
  LearningState& learning = context.learning;
  context.port.closePort();
  context.window.repaintNow();
  if (context.settings.soundOn != 0) context.beeper.playToEnd();
  learning.captureRunning = false;
  const DeviceProfile& shown = *context.current.device.load();
  const bool shiftPageCommand = learning.learnSlot + 1 > shown.commandCount - shown.labelCount;
  context.window.report(shiftPageCommand ? LearnReport::nameCommand : LearnReport::learnDialog);
  return CaptureEnd::stored;
}

bool LearnWorker::start() {
  if (busy()) return false;
  join();  // the thread has handed back and needs the window no more
  if (!openForLearning(context_.port)) return false;
  waitingForSignal_ = true;
  abandoned_ = false;
  handedBack_ = false;
  running_ = true;
  thread_ = std::thread([this] {
    const CaptureEnd end = runLearnCapture(context_, waitingForSignal_);
    waitingForSignal_ = false;
    if ((end == CaptureEnd::stopped && abandoned_) || end == CaptureEnd::failed) {
      context_.port.closePort();
      context_.window.repaintNow();
      context_.window.report(LearnReport::learnDialog);
    }
    handedBack_ = true;
    running_ = false;
  });
  return true;
}

void LearnWorker::abandon() {
  abandoned_ = true;
  context_.port.captureStop = true;
}

void LearnWorker::join() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace zapvane
