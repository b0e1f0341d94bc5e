// bench_burst_timing: how late each burst of a frame starts on the real clock.
//
// Frames of several built-in devices go through the real frame encoder, the
// real pulse timer on CLOCK_MONOTONIC_RAW and the simulated transmitter (no
// log), exactly as a held button sends them. A burst's ideal start is the
// moment the wait before it expired (burstStart + waitTicks of its target);
// its actual start is the tick the transmitter stamped when the write began.
// The difference is what a receiver sees as a stretched space, so its tail
// (p99, max) matters more than its median. The first burst of a frame
// follows no wait and has no figure.
//
// Two runs: the machine as it is, then with a thread spinning on another
// core. The timing thread asks for SCHED_FIFO around each frame and sleeps
// 10 ms at normal priority between frames, as the transmit worker does; the
// gap between frames is left out because no burst follows it.
//
// Everything runs on the main thread except the load spinner.

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#include "catalogue/text.h"
#include "core/remote_core.h"
#include "ir/frame_encoder.h"
#include "ir/frame_primitives.h"
#include "ir/ir_port.h"
#include "ir/pulse_timer.h"
#include "platform/messages.h"
#include "platform/performance_counter.h"
#include "platform/sim_transmitter.h"
#include "platform/thread_priority.h"

namespace zapvane {
namespace {

// Each chosen for a different frame shape: 12-bit with header, 48-bit,
// 32-bit with trailer and two tails, no header, 42-bit.
constexpr const char* kDeviceNames[] = {"SONY - TV", "PANASONIC - TV", "TOSHIBA - TV", "MITSUBISHI - TV",
                                        "AIWA - audio"};
constexpr int kCommandsPerDevice = 4;
// About 8.5 s per run: these frames average some 60 ms, plus the 10 ms pause.
constexpr int kDefaultFrames = 120;
constexpr int kMaxFrames = 100'000;
constexpr auto kPauseBetweenFrames = std::chrono::milliseconds(10);
constexpr int64_t kNoDeadline = INT64_MIN;
constexpr double kAimMicroseconds = 5.0;
// Far above the writes of one frame, so recording never allocates mid-frame.
constexpr size_t kWritesReserved = 4096;

// Passes every primitive through to the port and the timer, and remembers,
// for each write, the deadline of the last wait before it.
class DeadlineRecorder final : public FramePrimitives {
 public:
  DeadlineRecorder(PulseTimer& timer, IrPort& port) : timer_(timer), inner_(timer, port) {
    idealStarts_.reserve(kWritesReserved);
  }

  void beginFrame() {
    idealStarts_.clear();
    deadline_ = kNoDeadline;
  }

  void markStamp() override { inner_.markStamp(); }

  void writeBurst(int32_t bytes) override {
    inner_.writeBurst(bytes);
    // Bookkeeping after the write, so it never sits between a wait's end and
    // the burst it measures. A burst longer than the buffer is several
    // writes; only the first follows the wait.
    for (int32_t left = bytes; left > 0; left -= kBurstBufferBytes) {
      idealStarts_.push_back(deadline_);
      deadline_ = kNoDeadline;
    }
  }

  void waitSince(int32_t microseconds) override {
    deadline_ = timer_.burstStart() + static_cast<int64_t>(timer_.waitTicks(microseconds));
    inner_.waitSince(microseconds);
  }

  int32_t markToBytes(int32_t microseconds) const override { return inner_.markToBytes(microseconds); }

  // One entry per write the port made this frame; kNoDeadline where no wait
  // preceded it.
  const std::vector<int64_t>& idealStarts() const { return idealStarts_; }

 private:
  PulseTimer& timer_;
  PortPrimitives inner_;
  int64_t deadline_ = kNoDeadline;
  std::vector<int64_t> idealStarts_;
};

// Hands out a simulated transmitter without a log and keeps sight of it.
class SimOpener final : public PortOpener {
 public:
  explicit SimOpener(PerformanceCounter& counter) : counter_(counter) {}
  std::unique_ptr<SerialDevice> open(const std::string&, std::string&) override {
    auto sim = std::make_unique<SimTransmitter>(counter_, std::string());
    opened_ = sim.get();
    return sim;
  }
  SimTransmitter* opened() const { return opened_; }

 private:
  PerformanceCounter& counter_;
  SimTransmitter* opened_ = nullptr;
};

// Keeps the other core busy for its lifetime. Normal priority, unpinned: the
// scheduler places it as it would any competing process.
class OtherCoreLoad {
 public:
  OtherCoreLoad() : thread_([this] { spin(); }) {}
  ~OtherCoreLoad() {
    stop_ = true;
    thread_.join();
  }
  OtherCoreLoad(const OtherCoreLoad&) = delete;
  OtherCoreLoad& operator=(const OtherCoreLoad&) = delete;

 private:
  void spin() {
    volatile uint64_t sink = 0;
    while (!stop_.load(std::memory_order_relaxed)) sink = sink + 1;
  }

  std::atomic<bool> stop_{false};
  std::thread thread_;
};

struct Target {
  DeviceProfile* device;
  int32_t command;
};

struct RunResult {
  int frames = 0;
  int realtimeFrames = 0;  // frames timed under SCHED_FIFO
  double otherCores = -1;  // CPU that other processes used meanwhile, in cores; < 0 unknown
  std::vector<int64_t> latenessTicks;
};

// CPU seconds the whole machine and this process have used so far, to tell
// how busy the rest of the machine was during a run: an "idle" run on a
// machine that was compiling would otherwise pass for a slow timer.
struct CpuUse {
  double machineSeconds = -1;  // < 0 when /proc/stat cannot be read
  double ownSeconds = 0;
  std::chrono::steady_clock::time_point at;
};

CpuUse sampleCpuUse() {
  CpuUse use;
  use.at = std::chrono::steady_clock::now();
  if (std::FILE* stat = std::fopen("/proc/stat", "r")) {
    unsigned long long user = 0, nice = 0, system = 0, idle = 0, iowait = 0, irq = 0, softirq = 0;
    if (std::fscanf(stat, "cpu %llu %llu %llu %llu %llu %llu %llu", &user, &nice, &system, &idle, &iowait, &irq,
                    &softirq) == 7) {
      const auto busyTicks = static_cast<double>(user + nice + system + irq + softirq);
      use.machineSeconds = busyTicks / static_cast<double>(sysconf(_SC_CLK_TCK));
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

DeviceProfile* findDevice(RemoteCore& core, const char* name) {
  for (int32_t i = 0; i < core.catalogue.catalogueCount; ++i) {
    DeviceProfile* device = core.catalogue.entries[static_cast<size_t>(i)];
    if (utf16ToUtf8(device->name.data(), device->name.size()) == name) return device;
  }
  return nullptr;
}

std::vector<Target> chooseTargets(RemoteCore& core) {
  std::vector<Target> targets;
  for (const char* name : kDeviceNames) {
    DeviceProfile* device = findDevice(core, name);
    if (device == nullptr) {
      std::fprintf(stderr, "bench_burst_timing: no device '%s' in the catalogue\n", name);
      return {};
    }
    int taken = 0;
    for (int32_t command = 0; command < device->commandCount && taken < kCommandsPerDevice; ++command) {
      if (!commandExists(command, *device)) continue;
      targets.push_back({device, command});
      ++taken;
    }
  }
  return targets;
}

// Sends `frames` frames, cycling through the targets, and collects the
// lateness of every burst that follows a wait. Returns nothing when the
// transmitter's bursts and the recorded writes disagree, which would make
// every figure meaningless.
std::optional<RunResult> timeFrames(RemoteCore& core, const std::vector<Target>& targets, int frames) {
  MonotonicCounter counter;
  PulseTimer timer(counter, core.adjustments);
  timer.calibrateTimer();
  SimOpener opener(counter);
  StderrMessages messages;
  IrPort port(opener, messages, core.settings);
  if (!port.openForSending() || opener.opened() == nullptr) {
    port.closePort();
    return std::nullopt;
  }
  const SimTransmitter& sim = *opener.opened();
  DeadlineRecorder recorder(timer, port);

  RunResult result;
  const CpuUse before = sampleCpuUse();
  for (int frame = 0; frame < frames; ++frame) {
    const Target& target = targets[static_cast<size_t>(frame) % targets.size()];
    core.current.device = target.device;
    recorder.beginFrame();
    if (raiseToTimeCritical()) ++result.realtimeFrames;
    sendFrame(recorder, *target.device, target.command);
    dropToNormalPriority();

    const std::vector<Burst>& bursts = sim.pendingBursts();
    const std::vector<int64_t>& ideals = recorder.idealStarts();
    if (bursts.size() != ideals.size()) {
      std::fprintf(stderr, "bench_burst_timing: %zu bursts sent but %zu writes recorded\n", bursts.size(),
                   ideals.size());
      port.closePort();
      return std::nullopt;
    }
    for (size_t i = 0; i < bursts.size(); ++i) {
      if (ideals[i] != kNoDeadline) result.latenessTicks.push_back(bursts[i].startTick - ideals[i]);
    }
    ++result.frames;
    port.frameDone();
    std::this_thread::sleep_for(kPauseBetweenFrames);
  }
  result.otherCores = otherCores(before, sampleCpuUse());
  port.closePort();
  return result;
}

// Nearest rank: the smallest value with at least `fraction` of the sample at
// or below it.
int64_t percentile(const std::vector<int64_t>& sorted, double fraction) {
  const auto rank = static_cast<size_t>(std::ceil(fraction * static_cast<double>(sorted.size())));
  return sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1];
}

double toMicroseconds(int64_t ticks, int64_t frequency) {
  return static_cast<double>(ticks) * 1e6 / static_cast<double>(frequency);
}

void printRow(const char* label, RunResult& run, int64_t frequency) {
  const char* fifo = run.realtimeFrames == run.frames ? "yes" : run.realtimeFrames == 0 ? "no" : "partly";
  char others[16] = "?";
  if (run.otherCores >= 0) std::snprintf(others, sizeof others, "%.2f", run.otherCores);
  std::vector<int64_t>& sample = run.latenessTicks;
  std::printf("%-12s %-10s %6s %7d %8zu", label, fifo, others, run.frames, sample.size());
  if (sample.empty()) {
    std::printf("  (no burst followed a wait)\n");
    return;
  }
  std::sort(sample.begin(), sample.end());
  const auto overAim = std::count_if(sample.begin(), sample.end(), [frequency](int64_t ticks) {
    return toMicroseconds(ticks, frequency) > kAimMicroseconds;
  });
  std::printf(" %9.3f %9.3f %9.3f %10.3f %6ld\n", toMicroseconds(sample.front(), frequency),
              toMicroseconds(percentile(sample, 0.50), frequency), toMicroseconds(percentile(sample, 0.99), frequency),
              toMicroseconds(sample.back(), frequency), static_cast<long>(overAim));
}

void printUsage(std::FILE* to) {
  std::fprintf(to,
               "usage: bench_burst_timing [--frames N] [--help]\n"
               "Measures how late each burst of a frame starts after the wait before it, on the\n"
               "real clock with the simulated transmitter; once idle, once with another core busy.\n"
               "  --frames N  frames per run, cycling through 5 devices x %d commands (default %d)\n"
               "  --help      show this text\n",
               kCommandsPerDevice, kDefaultFrames);
}

// The frame count, 0 after --help, -1 on bad usage.
int parseArguments(int argc, char** argv) {
  int frames = kDefaultFrames;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    std::string value;
    if (arg == "--help") {
      printUsage(stdout);
      return 0;
    }
    if (arg == "--frames") {
      value = i + 1 < argc ? argv[++i] : "";
    } else if (arg.rfind("--frames=", 0) == 0) {
      value = arg.substr(std::strlen("--frames="));
    } else {
      std::fprintf(stderr, "bench_burst_timing: unexpected argument '%s'\n", arg.c_str());
      printUsage(stderr);
      return -1;
    }
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), frames);
    if (ec != std::errc() || end != value.data() + value.size() || frames < 1 || frames > kMaxFrames) {
      std::fprintf(stderr, "bench_burst_timing: --frames needs a number from 1 to %d, got '%s'\n", kMaxFrames,
                   value.c_str());
      return -1;
    }
  }
  return frames;
}

int run(int argc, char** argv) {
  const int frames = parseArguments(argc, argv);
  if (frames == 0) return 0;
  if (frames < 0) return 2;

  RemoteCore core;
  startCatalogue(core);
  const std::vector<Target> targets = chooseTargets(core);
  if (targets.empty()) return 1;

  std::optional<RunResult> idle = timeFrames(core, targets, frames);
  std::optional<RunResult> loaded;
  if (idle) {
    const OtherCoreLoad load;
    loaded = timeFrames(core, targets, frames);
  }
  if (!idle || !loaded) return 1;

  const int64_t frequency = MonotonicCounter().frequency();
  std::printf("burst start lateness (actual - ideal), microseconds; %zu device/command pairs, %u cores;\n"
              "others: CPU used by other processes during the run, in cores\n",
              targets.size(), std::thread::hardware_concurrency());
  std::printf("%-12s %-10s %6s %7s %8s %9s %9s %9s %10s %6s\n", "run", "SCHED_FIFO", "others", "frames", "bursts",
              "min", "p50", "p99", "max", ">5us");
  printRow("idle", *idle, frequency);
  printRow("other busy", *loaded, frequency);
  return 0;
}

}  // namespace
}  // namespace zapvane

int main(int argc, char** argv) { return zapvane::run(argc, argv); }
