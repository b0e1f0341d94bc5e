// A kernel IR device that behaves as the rc-loopback module's: what is sent
// comes back on its own receiver as mode2 samples, pulses and spaces
// followed by a time-out sample, to every descriptor open on it; a carrier
// outside the receiver's range is sent but never received. On a virtual
// clock a write takes as long as its light and a quiet poll as long as its
// wait, so timelines through it are repeatable.
//
// Faults on demand: features taken away (no sending, no carrier control),
// writes refused with an errno, the device unplugged after some writes.
//
// Threads: calls may come from a worker and the test thread; every field a
// test sets is set before the calls that read it, and what the device
// recorded is read once the worker is joined.
#pragma once

#include <linux/lirc.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/lirc_syscalls.h"
#include "platform/virtual_counter.h"

namespace zapvane {

inline constexpr uint32_t kLoopbackFeatures =
    LIRC_CAN_SEND_PULSE | LIRC_CAN_SET_SEND_CARRIER | LIRC_CAN_SET_SEND_DUTY_CYCLE | LIRC_CAN_SET_TRANSMITTER_MASK |
    LIRC_CAN_REC_MODE2 | LIRC_CAN_SET_REC_TIMEOUT | LIRC_CAN_SET_REC_CARRIER | LIRC_CAN_SET_REC_CARRIER_RANGE;

class LoopbackLirc final : public LircSyscalls {
 public:
  // Moves `clock` (may be null) by each write's light and each quiet poll.
  explicit LoopbackLirc(VirtualCounter* clock = nullptr) : clock_(clock) {}

  int open(const std::string& path) override;
  int ioctl(int fd, unsigned long request, uint32_t& value) override;
  long read(int fd, void* data, size_t size) override;
  long write(int fd, const void* data, size_t size) override;
  int poll(int fd, int32_t milliseconds) override;
  void close(int fd) override;

  // What a remote pointed at the receiver sends: its samples reach every
  // open descriptor, whatever the carrier.
  void receive(const std::vector<uint32_t>& durations);

  // The device's set-up; change before use.
  std::set<std::string> paths{"/dev/lirc0"};
  uint32_t features = kLoopbackFeatures;
  uint32_t receiverMinHz = 20'000;
  uint32_t receiverMaxHz = 60'000;
  int writeError = 0;             // errno every write fails with; 0: none
  int writesBeforeUnplug = -1;    // writes that succeed before the device goes; -1: never
  // Runs when a poll finds nothing to read, before it waits: a test's remote
  // presses its button here.
  std::function<void()> whenListening;

  // What was sent, each write's durations and when its light began (virtual
  // nanoseconds); the last carrier and duty cycle set (0: never).
  struct Sent {
    int64_t startNanoseconds;
    std::vector<uint32_t> durations;
  };
  std::vector<Sent> sent() const;
  uint32_t carrierHz() const;
  uint32_t dutyCycle() const;
  int openCount() const;

 private:
  void deliver(const std::vector<uint32_t>& durations);
  bool unplugged() const { return writesBeforeUnplug >= 0 && writes_ >= writesBeforeUnplug; }

  VirtualCounter* clock_;
  mutable std::mutex mutex_;
  std::map<int, std::deque<uint32_t>> queues_;
  int nextFd_ = 3;
  int writes_ = 0;
  uint32_t carrier_ = 0;
  uint32_t dutyCycle_ = 0;
  uint32_t timeout_ = 100'000;
  std::vector<Sent> sent_;
};

}  // namespace zapvane
