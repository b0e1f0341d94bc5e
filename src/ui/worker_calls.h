// WorkerCalls: a worker's synchronous call into the window. The work runs on
// the window thread and the worker waits until it is done, dialogs
// included; once the window shuts down (close()), a call not yet begun
// returns at once without running, so a worker that waits for the window
// never holds up the window's own wait for that worker to end.
//
// Threads: run() from any thread; close() on the window thread.
#pragma once

#include <QObject>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace zapvane {

class WorkerCalls {
 public:
  explicit WorkerCalls(QObject& window) : window_(window) {}
  WorkerCalls(const WorkerCalls&) = delete;
  WorkerCalls& operator=(const WorkerCalls&) = delete;

  // On the window thread the work runs at once.
  void run(const std::function<void()>& work);
  void close();

 private:
  QObject& window_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool closed_ = false;
};

}  // namespace zapvane
