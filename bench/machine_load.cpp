#include "machine_load.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include <sys/resource.h>
#include <unistd.h>

namespace zapvane::bench {

OtherCoreLoad::OtherCoreLoad() : thread_([this] { spin(); }) {}

OtherCoreLoad::~OtherCoreLoad() {
  stop_ = true;
  thread_.join();
}

void OtherCoreLoad::spin() {
  volatile uint64_t sink = 0;
  while (!stop_.load(std::memory_order_relaxed)) sink = sink + 1;
}

CpuUse sampleCpuUse() {
  CpuUse use;
  use.at = std::chrono::steady_clock::now();
  if (std::FILE* stat = std::fopen("/proc/stat", "r")) {
    unsigned long long user = 0, nice = 0, system = 0, idle = 0, iowait = 0, irq = 0, softirq = 0, steal = 0;
    if (std::fscanf(stat, "cpu %llu %llu %llu %llu %llu %llu %llu %llu", &user, &nice, &system, &idle, &iowait,
                    &irq, &softirq, &steal) == 8) {
      const auto ticksPerSecond = static_cast<double>(sysconf(_SC_CLK_TCK));
      const auto busyTicks = static_cast<double>(user + nice + system + irq + softirq);
      use.machineSeconds = busyTicks / ticksPerSecond;
      use.stealSeconds = static_cast<double>(steal) / ticksPerSecond;
    }
    std::fclose(stat);
  }
  rusage own{};
  getrusage(RUSAGE_SELF, &own);
  use.ownSeconds = static_cast<double>(own.ru_utime.tv_sec + own.ru_stime.tv_sec) +
                   static_cast<double>(own.ru_utime.tv_usec + own.ru_stime.tv_usec) * 1e-6;
  return use;
}

double otherCores(const CpuUse& before, const CpuUse& after) {
  if (before.machineSeconds < 0 || after.machineSeconds < 0) return -1;
  const double wall = std::chrono::duration<double>(after.at - before.at).count();
  const double others = (after.machineSeconds - before.machineSeconds) - (after.ownSeconds - before.ownSeconds);
  return wall > 0 ? std::max(0.0, others / wall) : -1;
}

double stolenMilliseconds(const CpuUse& before, const CpuUse& after) {
  if (before.machineSeconds < 0 || after.machineSeconds < 0) return -1;
  return (after.stealSeconds - before.stealSeconds) * 1000.0;
}

}  // namespace zapvane::bench
