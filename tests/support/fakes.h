// Stand-ins for the platform that record what the code under test did.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/beeper.h"
#include "platform/messages.h"
#include "platform/serial_device.h"
#include "platform/sim_transmitter.h"
#include "platform/thread_priority.h"
#include "platform/virtual_counter.h"

namespace zapvane::testing {

class RecordingMessages final : public MessageSink {
 public:
  void show(const Message& message) override { shown.push_back(message); }
  std::vector<Message> shown;
};

// Hands out simulated transmitters for one port name only, like a machine
// with a single port, and keeps every frame they send.
class RecordingSimOpener final : public PortOpener {
 public:
  explicit RecordingSimOpener(VirtualCounter& counter, std::string name = "COM1:")
      : counter_(counter), name_(std::move(name)) {}

  std::unique_ptr<SerialDevice> open(const std::string& name, std::string& error) override {
    requested.push_back(name);
    if (name != name_) {
      error = "no such port";
      return nullptr;
    }
    auto sim = std::make_unique<SimTransmitter>(counter_, "");
    if (remote) {
      // Polls cost virtual time, as real ones take real time.
      sim->setReadCost(&counter_, 20'000);
      sim->pointRemote(*remote, counter_.elapsedNanoseconds() + remoteDelayNanoseconds);
    }
    sim->onFrame = [this](const std::vector<Burst>& bursts) {
      frames.push_back(bursts);
      ++frameCount;
    };
    opened = sim.get();
    return sim;
  }

  // A remote control pointed at every port opened from now on.
  std::optional<RemoteSignal> remote;
  int64_t remoteDelayNanoseconds = 100'000'000;

  std::vector<std::string> requested;
  std::vector<std::vector<Burst>> frames;  // read only once the sending thread is joined
  std::atomic<int> frameCount{0};
  SimTransmitter* opened = nullptr;  // the last one; gone once the port closes

 private:
  VirtualCounter& counter_;
  std::string name_;
};

class CountingBeeper final : public Beeper {
 public:
  void playAsync() override { ++async; }
  void playToEnd() override { ++toEnd; }
  int async = 0;
  int toEnd = 0;
};

// "R" for each raise, "N" for each drop, as one string.
class RecordingPriority final : public ThreadPriority {
 public:
  bool raiseToTimeCritical() override {
    calls += 'R';
    return true;
  }
  void dropToNormal() override { calls += 'N'; }
  std::string calls;
};

}  // namespace zapvane::testing
