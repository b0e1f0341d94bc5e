// The transmit worker: a thread started per press of a command button. It
// opens the port, beeps once, and sends the command's frame again and again
// while the pen stays down: each frame and the device's frame gap at
// time-critical priority with busy-waits, then a sleep at normal priority
// (the command's extra delay + 10 ms, or 80 ms for a learned device), which
// is when the window handles the pen. While auto adjust runs it also steps
// the adjustment candidates every 2.5 s. A press always sends at least one
// whole frame, its gap and its pause. The gap sleeps but for its last 2 ms,
// so a held button stays inside the kernel's real-time limit. A press that
// ends without one frame whose bursts all started on time sends the frame
// again, at most kMostResends times.
//
// Threads: runTransmitWorker runs on the worker thread; it reads the pen and
// the current device, written by the window thread, as atomics. At most one
// worker runs, because the window starts none while portBusy is set.
#pragma once

#include <atomic>
#include <thread>

#include "catalogue/device_catalogue.h"
#include "catalogue/ir_settings.h"
#include "ir/ir_port.h"
#include "ir/pen_state.h"
#include "ir/pulse_timer.h"
#include "platform/beeper.h"
#include "platform/idle_timeouts.h"
#include "platform/messages.h"
#include "platform/sleeper.h"
#include "platform/thread_priority.h"

namespace zapvane {

inline constexpr int32_t kPauseMilliseconds = 10;         // after each frame of a built-in command
inline constexpr int32_t kLearnedPauseMilliseconds = 80;  // after each frame of a learned command
inline constexpr int32_t kMostResends = 2;                 // per press without a whole frame

// The sleep after each frame of `command`: 80 ms for a learned device, else
// the command's extra delay + 10 ms.
int32_t pauseAfterFrame(const DeviceProfile& device, int32_t command);

// Everything a worker works with; all of it outlives the worker.
struct TransmitContext {
  CurrentDevice& current;
  const IrSettings& settings;
  PenState& pen;
  std::atomic<bool>& autoAdjustActive;
  IrPort& port;
  PulseTimer& timer;
  Sleeper& sleeper;
  ThreadPriority& priority;
  Beeper& beeper;
  IdleTimeouts& idle;
  MessageSink& messages;
};

// What one worker did. opened is false when the port could not be opened
// (nothing sent, no sound); disturbed counts frames with a late burst,
// resent the frames sent again for want of a whole one.
struct TransmitReport {
  bool opened = false;
  int32_t disturbed = 0;
  int32_t resent = 0;
};

// One worker's whole run on the calling thread. With a frameLimit above 0
// the pen comes up by itself once that many frames are sent.
TransmitReport runTransmitWorker(const TransmitContext& context, int32_t frameLimit = 0);

// Owns the worker thread. transmitThread tells whether one is running.
class TransmitWorker {
 public:
  explicit TransmitWorker(const TransmitContext& context) : context_(context) {}
  ~TransmitWorker() { join(); }
  TransmitWorker(const TransmitWorker&) = delete;
  TransmitWorker& operator=(const TransmitWorker&) = delete;

  // The press: sets buttonHeld and starts a worker for the pen state the
  // window has set. REQUIRES: no worker running (portBusy clear).
  void start();
  // A tap: a press whose pen is up before the worker starts, so it sends
  // the frames of one tap whenever its thread gets to run.
  // REQUIRES: no worker running.
  void tap();
  // A press held for exactly `frames` frames (1 or more), each with the gap
  // and pause a held button has. REQUIRES: no worker running.
  void sendFrames(int32_t frames);
  // Waits for the running worker, if any, to end.
  void join();
  bool running() const { return transmitThread_; }
  // Whether the last worker that ended had opened its port.
  bool lastOpened() const { return lastOpened_; }
  // Frames of the last worker that ended with a late burst, and resent.
  int32_t lastDisturbed() const { return lastDisturbed_; }
  int32_t lastResent() const { return lastResent_; }

 private:
  void launch(bool held, int32_t frameLimit);

  TransmitContext context_;
  std::thread thread_;
  std::atomic<bool> transmitThread_{false};
  std::atomic<bool> lastOpened_{false};
  std::atomic<int32_t> lastDisturbed_{0};
  std::atomic<int32_t> lastResent_{0};
};

}  // namespace zapvane
