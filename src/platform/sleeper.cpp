#include "platform/sleeper.h"

#include <chrono>
#include <thread>

namespace zapvane {

void RealSleeper::sleepMilliseconds(int32_t milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void RealSleeper::sleepNanoseconds(int64_t nanoseconds) {
  if (nanoseconds > 0) std::this_thread::sleep_for(std::chrono::nanoseconds(nanoseconds));
}

void VirtualSleeper::sleepNanoseconds(int64_t nanoseconds) {
  if (nanoseconds > 0) counter_.advanceNanoseconds(nanoseconds);
}

void VirtualSleeper::sleepMilliseconds(int32_t milliseconds) {
  if (milliseconds > 0) counter_.advanceNanoseconds(int64_t{milliseconds} * 1'000'000);
  if (afterSleep) afterSleep(counter_.elapsedNanoseconds());
}

}  // namespace zapvane
