// Platform: everything the remote asks of the operating system, behind one
// interface, so the application object is wired once and tests swap the
// whole machine for a virtual one: the counter every wait is measured on,
// the worker's sleeps between repetitions, thread priority, the beep, the
// idle time-outs, the files and the ports.
//
// RealPlatform (real_platform.h) is the program's; VirtualPlatform
// (virtual_platform.h) runs on a virtual clock with simulated ports, for
// tests, benchmarks of the logic and the command line tool's deterministic
// modes.
//
// Threads: the services are used from the window thread and the workers;
// each one's header says which calls may run where.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/beeper.h"
#include "platform/file_system.h"
#include "platform/idle_timeouts.h"
#include "platform/performance_counter.h"
#include "platform/ports_config.h"
#include "platform/serial_device.h"
#include "platform/sleeper.h"
#include "platform/thread_priority.h"

namespace zapvane {

class Platform {
 public:
  virtual ~Platform() = default;

  virtual PerformanceCounter& counter() = 0;
  // The transmit worker's sleeps between repetitions.
  virtual Sleeper& sleeper() = 0;
  virtual ThreadPriority& priority() = 0;
  virtual Beeper& beeper() = 0;
  virtual IdleTimeouts& idle() = 0;
  virtual FileSystem& files() = 0;
  // The kernel IR devices present (/dev/lircN), for listing what a port may
  // be given; none where the machine has no such devices.
  virtual std::vector<std::string> lircDevicesPresent() { return {}; }
  // Opens "COM1:".."COM4:" as `config` says into `device`; not ok when the
  // port has no device or cannot be opened. The simulator logs to
  // simLogPath where it keeps a log.
  virtual Status openPort(const std::string& name, const PortsConfig& config, const std::string& simLogPath,
                          std::unique_ptr<SerialDevice>& device) = 0;
};

}  // namespace zapvane
