// RemoteApp: the running remote without its window: the core started from a
// data directory, the pulse timer, the port, the idle time-outs and the
// transmit worker, wired together. The window attaches itself for messages;
// tests build one on a virtual counter and a simulated port.
//
// Threads: built and started on the window thread; the worker it owns runs
// on its own.
#pragma once

#include <atomic>
#include <ostream>
#include <string>

#include "core/data_files.h"
#include "core/problem_reporter.h"
#include "core/remote_core.h"
#include "ir/ir_port.h"
#include "ir/pulse_timer.h"
#include "ir/transmit_worker.h"
#include "learn/learn_capture.h"
#include "platform/beeper.h"
#include "platform/idle_timeouts.h"
#include "platform/messages.h"
#include "platform/performance_counter.h"
#include "platform/serial_device.h"
#include "platform/sleeper.h"
#include "platform/thread_priority.h"

namespace zapvane {

// Passes messages to the window once it exists, to stderr before.
class ForwardingMessages final : public MessageSink {
 public:
  void attach(MessageSink* target) { target_ = target; }
  void show(const Message& message) override;

 private:
  std::atomic<MessageSink*> target_{nullptr};
};

// Passes a capture's reports to the window once it exists.
class ForwardingLearnWindow final : public LearnWindow {
 public:
  void attach(LearnWindow* target) { target_ = target; }
  void updateMenuStates() override;
  void repaintNow() override;
  void command(int32_t id) override;

 private:
  std::atomic<LearnWindow*> target_{nullptr};
};

// The platform services the app runs on; the program passes the real ones.
struct AppPlatform {
  PerformanceCounter& counter;
  PortOpener& opener;
  Sleeper& workerSleeper;
  ThreadPriority& priority;
  Beeper& beeper;
};

class RemoteApp {
 public:
  RemoteApp(const DataFiles& files, const AppPlatform& platform, std::ostream& err);
  RemoteApp(const RemoteApp&) = delete;
  RemoteApp& operator=(const RemoteApp&) = delete;

  // Start-up of the core: profiles, user devices, calibration, settings,
  // catalogue, selection.
  void start();

  const DataFiles files;
  RemoteCore core;
  ForwardingMessages messages;
  ProblemReporter problems;
  PulseTimer timer;
  IrPort port;
  IdleTimeouts idle;
  TransmitWorker worker;
  ForwardingLearnWindow learnWindow;
  LearnWorker learnWorker;
};

}  // namespace zapvane
