// The transmit worker: a thread started per press of a command button. It
// opens the port, beeps once, and sends the command's frame again and again
// while the pen stays down: each frame and the device's frame gap at
// time-critical priority with busy-waits, then a sleep at normal priority
// (the command's extra delay + 10 ms, or 80 ms for a learned device), which
// is when the window handles the pen. While auto adjust runs it also steps
// the adjustment candidates every 2.5 s. A press always sends at least one
// whole frame, its gap and its pause.
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

// One worker's whole run on the calling thread. Returns false when the port
// could not be opened (nothing sent, no sound).
bool runTransmitWorker(const TransmitContext& context);

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
  // Waits for the running worker, if any, to end.
  void join();
  bool running() const { return transmitThread_; }
  // Whether the last worker that ended had opened its port.
  bool lastOpened() const { return lastOpened_; }

 private:
  TransmitContext context_;
  std::thread thread_;
  std::atomic<bool> transmitThread_{false};
  std::atomic<bool> lastOpened_{false};
};

}  // namespace zapvane
