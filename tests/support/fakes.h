// Stand-ins that record what the code under test asked for. The machine
// itself (clock, ports, priority, beep) is platform/virtual_platform.h.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/window_services.h"
#include "learn/learn_capture.h"
#include "platform/messages.h"

namespace zapvane::testing {

class RecordingMessages final : public MessageSink {
 public:
  void show(const Message& message) override { shown.push_back(message); }
  std::vector<Message> shown;
};

// Requests as one line of words ("invert(1) sleep(10)") for the test thread
// to take; a worker may add to it (a message box, a capture's report).
class CallLog {
 public:
  std::string take() {
    std::lock_guard lock(mutex_);
    return std::exchange(calls_, "");
  }

 protected:
  void add(const std::string& call) {
    std::lock_guard lock(mutex_);
    calls_ += (calls_.empty() ? "" : " ") + call;
  }
  std::mutex mutex_;

 private:
  std::string calls_;
};

// The window as the remote's logic sees it; message boxes keep their content.
class RecordingWindow final : public WindowServices, public CallLog {
 public:
  void show(const Message& message) override {
    add("box(" + message.caption + ")");
    std::lock_guard lock(mutex_);
    shown.push_back(message);
  }
  void invertHotSpot(int32_t result) override { add("invert(" + std::to_string(result) + ")"); }
  void repaintNow() override { add("repaint"); }
  void updateMenuStates() override { add("menus"); }
  void runDialog(DialogId dialog) override {
    static const char* const kNames[] = {"about", "selectDevices", "setupIrPort", "userDevices", "learnFunction",
                                         "commandProperties"};
    add(std::string("dialog(") + kNames[static_cast<int>(dialog)] + ")");
  }
  void sleepMilliseconds(int32_t milliseconds) override { add("sleep(" + std::to_string(milliseconds) + ")"); }
  void destroyWindow() override { add("destroy"); }
  std::vector<Message> shown;  // read once the workers are joined
};

// What a learn capture tells the window, from the learn worker's thread. A
// test may hold the capture inside its calls ("menus", "repaint", "report",
// or any point that calls pause) until release(); a hold gives way by itself
// after a few seconds, logged as "gave-way", so a test that would wait for
// the held capture fails instead of hanging.
class RecordingLearnWindow final : public LearnWindow, public CallLog {
 public:
  void updateMenuStates() override {
    add("menus");
    pause("menus");
  }
  void repaintNow() override {
    add("repaint");
    pause("repaint");
  }
  void report(LearnReport report) override {
    add(report == LearnReport::nameCommand ? "report(nameCommand)" : "report(learnDialog)");
    pause("report");
  }
  void pause(const std::string& point) {
    std::unique_lock lock(mutex_);
    if (holds_.erase(point) == 0) return;
    holding_ = point;
    if (released_.wait_for(lock, std::chrono::seconds(5), [&] { return holding_.empty(); })) return;
    holding_.clear();
    lock.unlock();
    add("gave-way");
  }
  void hold(const std::string& point) {
    std::lock_guard lock(mutex_);
    holds_.insert(point);
  }
  std::string holding() {
    std::lock_guard lock(mutex_);
    return holding_;
  }
  void release() {
    std::lock_guard lock(mutex_);
    holding_.clear();
    released_.notify_all();
  }

 private:
  std::set<std::string> holds_;
  std::string holding_;
  std::condition_variable released_;
};

}  // namespace zapvane::testing
