// A whole machine on a virtual clock, for tests and for the command line
// tool's deterministic modes: the counter moves only when waited on, slept
// on or read at a cost; the ports that ports.conf gives the simulator are
// simulated transmitters that record every frame instead of logging it
// (other ports have no device); priority changes and beeps are counted, not
// made. A remote control can be pointed at every port opened.
//
// Threads: a timeline is repeatable when one thread drives it; the recorded
// frames are read once the sending thread is joined.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/loopback_lirc.h"
#include "platform/memory_file_system.h"
#include "platform/platform.h"
#include "platform/real_file_system.h"
#include "platform/sim_receiver.h"
#include "platform/sim_transmitter.h"
#include "platform/virtual_counter.h"

namespace zapvane {

// "R" for each raise, "N" for each drop, as one string; read calls() once
// the worker that made them is joined.
class RecordingThreadPriority final : public ThreadPriority {
 public:
  bool raiseToTimeCritical() override;
  void dropToNormal() override;
  std::string calls() const;

 private:
  std::string calls_;
};

class CountingBeeper final : public Beeper {
 public:
  void playAsync() override { ++async; }
  void playToEnd() override {
    ++toEnd;
    if (whilePlaying) whilePlaying();
  }
  std::atomic<int> async{0};
  std::atomic<int> toEnd{0};
  // Runs inside playToEnd, on the player's thread: a test holds a learn
  // capture at its beep this way. Set before the worker starts.
  std::function<void()> whilePlaying;
};

class VirtualPlatform final : public Platform {
 public:
  // REQUIRES: ticksPerSecond > 0, nanosecondsPerRead >= 0.
  explicit VirtualPlatform(int64_t ticksPerSecond = 1'000'000'000, int64_t nanosecondsPerRead = 0)
      : clock(ticksPerSecond, nanosecondsPerRead) {}

  PerformanceCounter& counter() override { return clock; }
  Sleeper& sleeper() override;
  ThreadPriority& priority() override { return priorityCalls; }
  Beeper& beeper() override { return beeps; }
  IdleTimeouts& idle() override { return idleTimeouts; }
  FileSystem& files() override;
  std::vector<std::string> lircDevicesPresent() override;
  Status openPort(const std::string& name, const PortsConfig& config, const std::string& simLogPath,
                  std::unique_ptr<SerialDevice>& device) override;

  VirtualCounter clock;
  // The worker's sleeps move the clock; afterSleep lets a test act then.
  VirtualSleeper virtualSleeps{clock};
  // Sleeps that really pass, so another thread can act while a worker runs;
  // read at every sleep, so it may be set at any time.
  std::atomic<bool> realSleeps{false};
  RecordingThreadPriority priorityCalls;
  CountingBeeper beeps;
  IdleTimeouts idleTimeouts;
  // The files live in memory, where faults can be injected; a platform that
  // must read and write the real data folder (the command line tool's
  // deterministic modes) sets realFiles before the first use.
  MemoryFileSystem memoryFiles;
  bool realFiles = false;

  // The kernel IR devices: ports.conf's "lirc:" ports open these loopback
  // devices, on the virtual clock.
  LoopbackLirc loopback{&clock};

  // Every port name opens a simulated transmitter, whatever ports.conf says.
  bool everyPortSimulated = false;
  // A remote control pointed at every port opened from now on, pressed
  // remoteDelayNanoseconds after the opening; each receive poll then costs
  // pollNanoseconds, as a real poll takes time.
  std::optional<RemoteSignal> remote;
  int64_t remoteDelayNanoseconds = 100'000'000;
  int64_t pollNanoseconds = 20'000;
  // Runs on each new transmitter before anything is written to it.
  std::function<void(SimTransmitter&)> onOpen;

  std::vector<std::string> requestedPorts;
  // Read once the sending thread is joined.
  std::vector<std::vector<Burst>> frames;
  std::atomic<int> frameCount{0};
  SimTransmitter* opened = nullptr;  // the last one; gone once its port closes

 private:
  class ChosenSleeper final : public Sleeper {
   public:
    explicit ChosenSleeper(VirtualPlatform& platform) : platform_(platform) {}
    void sleepMilliseconds(int32_t milliseconds) override;
    void sleepNanoseconds(int64_t nanoseconds) override;

   private:
    VirtualPlatform& platform_;
    RealSleeper real_;
  };
  ChosenSleeper sleeper_{*this};
  RealFileSystem disk_;
};

}  // namespace zapvane
