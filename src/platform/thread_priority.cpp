#include "platform/thread_priority.h"

#include <pthread.h>
#include <sched.h>

#include <cstdio>
#include <cstring>

namespace zapvane {

bool RealThreadPriority::raiseToTimeCritical() {
  sched_param param{};
  param.sched_priority = sched_get_priority_max(SCHED_FIFO);
  const int err = pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
  if (err == 0) return true;
  if (!noticeGiven_.exchange(true)) {
    std::fprintf(stderr, "%s: no real-time priority (%s); frames are timed at normal priority\n", program_.c_str(),
                 std::strerror(err));
  }
  return false;
}

void RealThreadPriority::dropToNormal() {
  sched_param param{};
  param.sched_priority = 0;
  pthread_setschedparam(pthread_self(), SCHED_OTHER, &param);
}

}  // namespace zapvane
