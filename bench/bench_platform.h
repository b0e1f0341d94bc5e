// The machine the benchmarks time on: the real clock and real sleeps, the
// simulated transmitter behind every port name (stamping its bursts on the
// real clock), no sound, and the two services a run instruments handed in:
// the counter the pulse timer waits on (the real clock, or a wrapper that
// writes each wait's deadline down) and the thread priority. A remote built
// on it is wired exactly as the program wires one; only the machine differs.
//
// Threads: as platform.h; onOpen runs on the thread that opens the port.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/memory_file_system.h"
#include "platform/platform.h"
#include "platform/sim_transmitter.h"

namespace zapvane::bench {

class BenchPlatform final : public Platform {
 public:
  // `clock` stamps the transmitters' bursts; `timerCounter` is what the
  // pulse timer waits on (`clock` itself where no wait is watched).
  // REQUIRES: all three outlive the platform and every remote built on it.
  BenchPlatform(PerformanceCounter& clock, PerformanceCounter& timerCounter, ThreadPriority& priority)
      : clock_(clock), timerCounter_(timerCounter), priority_(priority) {}

  PerformanceCounter& counter() override { return timerCounter_; }
  Sleeper& sleeper() override { return sleeper_; }
  ThreadPriority& priority() override { return priority_; }
  Beeper& beeper() override { return beeper_; }
  IdleTimeouts& idle() override { return idle_; }
  // The data files stay in memory: the bench times the sending, not a disk.
  FileSystem& files() override { return files_; }
  // Every name opens a simulated transmitter that logs nothing, whatever
  // ports.conf would say: the bench times the sending, not a device.
  Status openPort(const std::string& name, const PortsConfig& config, const std::string& simLogPath,
                  std::unique_ptr<SerialDevice>& device) override;

  // Runs on each new transmitter before anything is written to it.
  std::function<void(SimTransmitter&)> onOpen;
  SimTransmitter* opened = nullptr;  // the last one; gone once its port closes

 private:
  PerformanceCounter& clock_;
  PerformanceCounter& timerCounter_;
  ThreadPriority& priority_;
  RealSleeper sleeper_;
  SilentBeeper beeper_;
  IdleTimeouts idle_;
  MemoryFileSystem files_;
};

}  // namespace zapvane::bench
