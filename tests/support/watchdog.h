// A hang becomes a failure: when one line of a test has run for the time
// allowed, the program names the line and ends with status 1, instead of
// waiting for the test runner's time-out (a deadlocked window thread cannot
// fail a test any other way).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace zapvane::testing {

class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds allowed) : allowed_(allowed), thread_([this] { watch(); }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  // A new line begins.
  void at(const std::string& where) {
    std::lock_guard lock(mutex_);
    where_ = where;
    since_ = std::chrono::steady_clock::now();
  }

 private:
  void watch() {
    std::unique_lock lock(mutex_);
    while (!done_) {
      if (std::chrono::steady_clock::now() - since_ > allowed_) {
        std::fprintf(stderr, "%s: still running after %lld s, the test hangs\n", where_.c_str(),
                     static_cast<long long>(allowed_.count()));
        std::_Exit(1);
      }
      wake_.wait_for(lock, std::chrono::milliseconds(200));
    }
  }

  const std::chrono::seconds allowed_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::string where_ = "before the first line";
  std::chrono::steady_clock::time_point since_ = std::chrono::steady_clock::now();
  bool done_ = false;
  std::thread thread_;  // last: it starts watching once the rest is made
};

}  // namespace zapvane::testing
