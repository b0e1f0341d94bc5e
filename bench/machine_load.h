// The rest of the machine around a timing run: a spinner that keeps another
// core busy, and CPU accounting that tells how busy the machine already was,
// so an "idle" run on a machine that was compiling does not pass for a slow
// timer.
#pragma once

#include <atomic>
#include <chrono>
#include <thread>

namespace zapvane::bench {

// Keeps the other core busy for its lifetime. Normal priority, unpinned: the
// scheduler places it as it would any competing process.
class OtherCoreLoad {
 public:
  OtherCoreLoad();
  ~OtherCoreLoad();
  OtherCoreLoad(const OtherCoreLoad&) = delete;
  OtherCoreLoad& operator=(const OtherCoreLoad&) = delete;

 private:
  void spin();

  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// CPU seconds the whole machine and this process have used so far, and the
// seconds a hypervisor kept the machine's virtual CPUs from running at all,
// which no priority inside the machine can win back.
struct CpuUse {
  double machineSeconds = -1;  // < 0 when /proc/stat cannot be read
  double stealSeconds = 0;
  double ownSeconds = 0;
  std::chrono::steady_clock::time_point at;
};

CpuUse sampleCpuUse();

// Cores' worth of CPU that other processes used between the two samples;
// < 0 when unknown.
double otherCores(const CpuUse& before, const CpuUse& after);

// Milliseconds of CPU time, all virtual CPUs together, stolen by the
// hypervisor between the two samples; < 0 when unknown.
double stolenMilliseconds(const CpuUse& before, const CpuUse& after);

}  // namespace zapvane::bench
