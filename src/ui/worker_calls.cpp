#include "ui/worker_calls.h"

#include <QThread>
#include <memory>

namespace zapvane {

namespace {

struct Call {
  bool begun = false;
  bool done = false;
};

}  // namespace

void WorkerCalls::run(const std::function<void()>& work) {
  if (QThread::currentThread() == window_.thread()) {
    work();
    return;
  }
  auto call = std::make_shared<Call>();
  // Queued on the window object: a window destroyed first drops it unrun.
  QMetaObject::invokeMethod(&window_, [this, call, work] {
    {
      std::lock_guard lock(mutex_);
      if (closed_) return;
      call->begun = true;
    }
    work();
    {
      std::lock_guard lock(mutex_);
      call->done = true;
    }
    changed_.notify_all();
  }, Qt::QueuedConnection);
  std::unique_lock lock(mutex_);
  // Work once begun is waited for: it may read what the caller passed.
  changed_.wait(lock, [&] { return call->done || (closed_ && !call->begun); });
}

void WorkerCalls::close() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  changed_.notify_all();
}

}  // namespace zapvane
