// The learn capture: one command of a user device recorded from the device's
// own remote control. The port is opened at 115200 baud; the worker polls it
// as fast as it can, counting the characters each poll returns and noting the
// counter after it, from the first character for one second or 91 polls;
// then it rebuilds the marks and gaps (capture_conversion.h) into the slot
// being learned, closes the port, repaints, beeps and hands control back to
// the learning workflow with a report the window handles before it returns.
//
// Threads: openForLearning runs on the window thread; the capture on the
// learn worker thread, which is the port's only user until it closes it.
// captureStop (set by closePort) is the only way to end a capture early.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "catalogue/device_catalogue.h"
#include "catalogue/ir_settings.h"
#include "ir/ir_port.h"
#include "ir/pulse_timer.h"
#include "learn/capture_conversion.h"
#include "learn/learning_state.h"
#include "platform/beeper.h"
#include "platform/thread_priority.h"

namespace zapvane {

inline constexpr uint32_t kLearnBaudRate = 115200;
inline constexpr InfraredLine kLearningLine{kLearnBaudRate, false, kEventCharReceived};
inline constexpr uint32_t kLearnQueueBytes = 1000;
inline constexpr size_t kPollBytes = 100;
inline constexpr int kDrainReads = 30;
// How long one wait for the first light lasts before captureStop is checked.
inline constexpr int32_t kQuietWaitMilliseconds = 20;

// How a capture reports back: show the Learn function dialog again, or first
// ask for the name of the shift-page command just learned.
enum class LearnReport { learnDialog, nameCommand };

// What the capture asks of the window; each call returns once the window
// thread has handled it (dialogs included).
class LearnWindow {
 public:
  virtual ~LearnWindow() = default;
  virtual void updateMenuStates() = 0;
  virtual void repaintNow() = 0;
  virtual void report(LearnReport report) = 0;
};

struct LearnContext {
  DeviceCatalogue& catalogue;
  const CurrentDevice& current;
  const IrSettings& settings;
  LearningState& learning;
  IrPort& port;
  PulseTimer& timer;
  ThreadPriority& priority;
  Beeper& beeper;
  LearnWindow& window;
};

// How a capture ended: stored and reported, stopped early (nothing stored,
// nothing reported), or failed (the device failed, said so, stored nothing;
// the worker reports back as for an abandoned capture).
enum class CaptureEnd { stored, stopped, failed };

// The capture on the calling thread, start to end.
// REQUIRES: the port is open for learning; learnSlot and editedUserDevice
// name an allocated slot.
CaptureEnd runLearnCapture(const LearnContext& context, std::atomic<bool>& waitingForSignal);

// The slot the capture writes, or nullptr when the device has no buffers.
LearnedSignal* slotBeingLearned(const LearnContext& context);
// The end of a capture that stored its signal: closes the port, repaints,
// beeps and reports back.
CaptureEnd finishCapture(const LearnContext& context);

// Opens the port for learning and applies its settings; on failure shows
// "Unable to open COMn:" and closes it again.
bool openForLearning(IrPort& port);

// Owns the learn worker thread.
class LearnWorker {
 public:
  explicit LearnWorker(const LearnContext& context) : context_(context) {}
  ~LearnWorker() { join(); }
  LearnWorker(const LearnWorker&) = delete;
  LearnWorker& operator=(const LearnWorker&) = delete;

  // The learning tap: opens the port and starts the capture. False when the
  // port cannot be opened (the user may tap again) or while busy().
  bool start();
  void join();
  // Stop learn while nothing has been heard yet: the capture ends, stores
  // nothing, closes the port and reports back as if it had finished, so the
  // workflow shows its Learn function dialog again.
  void abandon();
  bool running() const { return running_; }
  // True from the start until the capture has handed control back (its
  // report handled) or ended unreported. Meanwhile a learning tap is refused
  // as on a busy port: even with the port closed, during the repaint, the
  // beep and the report, the capture still waits for the window, so a new
  // start waiting for it would hold the window for good.
  bool busy() const { return running_ && !handedBack_; }
  // Called on the window thread once it has handled the capture's report,
  // before the capture's thread resumes, so that the very next tap may start
  // a capture. The capture's thread marks it too when the report returns.
  void reportHandled() { handedBack_ = true; }
  // True from the start until the first character arrives: a capture that
  // hears nothing may be abandoned.
  bool waitingForSignal() const { return waitingForSignal_; }

 private:
  LearnContext context_;
  std::thread thread_;
  std::atomic<bool> running_{false};
  std::atomic<bool> waitingForSignal_{false};
  std::atomic<bool> abandoned_{false};
  std::atomic<bool> handedBack_{true};
};

}  // namespace zapvane
