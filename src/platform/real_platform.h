// The operating system as the program uses it: CLOCK_MONOTONIC_RAW, real
// sleeps, SCHED_FIFO where allowed, the simulated transmitter or a termios
// port as ports.conf says. The beep is silent until the window hands over
// the one it plays.
//
// Threads: see platform.h.
#pragma once

#include "platform/lirc_syscalls.h"
#include "platform/platform.h"
#include "platform/real_file_system.h"

namespace zapvane {

class RealPlatform final : public Platform {
 public:
  // `program` names the program in the notices the platform prints itself.
  explicit RealPlatform(std::string program = "zapvane") : program_(program), priority_(std::move(program)) {}

  PerformanceCounter& counter() override { return counter_; }
  Sleeper& sleeper() override { return sleeper_; }
  ThreadPriority& priority() override { return priority_; }
  Beeper& beeper() override { return *beeper_; }
  IdleTimeouts& idle() override { return idle_; }
  FileSystem& files() override { return files_; }
  std::vector<std::string> lircDevicesPresent() override;
  Status openPort(const std::string& name, const PortsConfig& config, const std::string& simLogPath,
                  std::unique_ptr<SerialDevice>& device) override;

  // REQUIRES: `beeper` outlives this platform; called before any worker runs.
  void useBeeper(Beeper& beeper) { beeper_ = &beeper; }

 private:
  const std::string program_;
  MonotonicCounter counter_;
  RealSleeper sleeper_;
  RealThreadPriority priority_;
  SilentBeeper silent_;
  Beeper* beeper_ = &silent_;
  IdleTimeouts idle_;
  RealFileSystem files_;
  KernelLircSyscalls lirc_;
};

}  // namespace zapvane
