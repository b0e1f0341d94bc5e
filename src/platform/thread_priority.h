// Priority of the thread that times frames. Time-critical is SCHED_FIFO at
// the top priority where the process may use it (CAP_SYS_NICE or an rtprio
// limit); elsewhere the thread stays at normal priority and a one-line
// notice goes to stderr, once per ThreadPriority.
//
// Threads: every call applies to the calling thread.
#pragma once

#include <atomic>
#include <string>

namespace zapvane {

class ThreadPriority {
 public:
  virtual ~ThreadPriority() = default;
  // True when the calling thread now runs time-critical.
  virtual bool raiseToTimeCritical() = 0;
  virtual void dropToNormal() = 0;
};

class RealThreadPriority final : public ThreadPriority {
 public:
  // `program` opens the notice, as every line a program prints on stderr.
  explicit RealThreadPriority(std::string program = "zapvane") : program_(std::move(program)) {}
  bool raiseToTimeCritical() override;
  void dropToNormal() override;

 private:
  const std::string program_;
  std::atomic<bool> noticeGiven_{false};
};

}  // namespace zapvane
