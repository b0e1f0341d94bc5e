// bench_burst_timing: how late bursts start on the real clock, and how
// steadily a held button repeats.
//
// Two kinds of run, each once on the machine as it is and once with a thread
// spinning on the other core:
// - frames of several built-in devices sent one after another by this
//   thread, burst lateness against each wait's deadline
//   (frame_lateness_run.h);
// - a button held through the real transmit worker, its own thread, sleeps
//   and priorities: the period error of each repetition and the burst
//   lateness within its frames (held_button_run.h).
// Lateness is what a receiver sees as a stretched space, so its tail (p99,
// max) matters more than its median.

#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/remote.h"
#include "bench_platform.h"
#include "device_lookup.h"
#include "frame_lateness_run.h"
#include "held_button_run.h"
#include "machine_load.h"
#include "platform/performance_counter.h"
#include "platform/thread_priority.h"
#include "sample_summary.h"

namespace zapvane::bench {
namespace {

// Each chosen for a different frame shape: 12-bit with header, 48-bit,
// 32-bit with trailer and two tails, no header, 42-bit.
const std::vector<const char*> kFrameDevices = {"SONY - TV", "PANASONIC - TV", "TOSHIBA - TV", "MITSUBISHI - TV",
                                                "AIWA - audio"};
constexpr int kCommandsPerDevice = 4;
// About 8.5 s per run: these frames average some 60 ms, plus the 10 ms pause.
constexpr int kDefaultFrames = 120;
constexpr int kMaxFrames = 100'000;

struct HeldTarget {
  const char* deviceName;
  int32_t command;
};
// A short frame, a long one and one with two tails, repeating about every
// 50, 150 and 215 ms: most of each repetition is busy-waiting.
constexpr HeldTarget kHeldTargets[] = {{"SONY - TV", 1}, {"PANASONIC - TV", 0}, {"TOSHIBA - TV", 0}};
// With the frame runs, the default run stays under 40 s.
constexpr int kDefaultHoldMilliseconds = 3000;
constexpr int kMaxHoldMilliseconds = 600'000;

constexpr double kAimMicroseconds = 5.0;

struct Options {
  int frames = kDefaultFrames;
  int holdMilliseconds = kDefaultHoldMilliseconds;
};

struct HeldRow {
  const HeldTarget* target;
  HeldButtonResult result;
};

struct Condition {
  const char* label;
  FrameRunResult frames;
  std::vector<HeldRow> held;
};

const char* fifoWord(int granted, int asked) { return granted == asked ? "yes" : granted == 0 ? "no" : "partly"; }

// "?" for a figure the machine could not tell (< 0).
std::string knownText(double value, int decimals) {
  char text[24] = "?";
  if (value >= 0) std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

void printFigures(const SampleSummary& s) {
  std::printf(" %9.3f %9.3f %9.3f %10.3f", s.min, s.p50, s.p99, s.max);
}

// Frames with a late burst (as the pulse timer judges them) per 1000 sent.
std::string perThousand(int disturbed, int frames) {
  return knownText(frames > 0 ? 1000.0 * disturbed / frames : -1.0, 1);
}

// Under a lateness row: the bare loop's figures of the same run, and each
// lateness figure divided by its floor ("-" where the floor is not above 0).
void printFloorRows(const SampleSummary& lateness, const std::vector<int64_t>& floorTicks, int64_t frequency,
                    int indent) {
  const SampleSummary f = summarize(floorTicks, frequency, kAimMicroseconds);
  if (f.count == 0) return;
  std::printf("%*s%-*s", indent, "", 20, "  floor (bare loop)");
  printFigures(f);
  std::printf(" %6zu\n", f.overAim);
  std::printf("%*s%-*s", indent, "", 20, "  ratio to floor");
  const double figures[][2] = {{lateness.min, f.min}, {lateness.p50, f.p50}, {lateness.p99, f.p99},
                               {lateness.max, f.max}};
  const int widths[] = {9, 9, 9, 10};
  for (int i = 0; i < 4; ++i) {
    std::printf(" %*s", widths[i], figures[i][1] > 0 ? knownText(figures[i][0] / figures[i][1], 2).c_str() : "-");
  }
  std::printf("\n");
}

void printFrameRow(const char* label, const FrameRunResult& run, int64_t frequency) {
  const SampleSummary s = summarize(run.latenessTicks, frequency, kAimMicroseconds);
  std::printf("%-12s %-10s %6s %5s %7d %8zu", label, fifoWord(run.realtimeFrames, run.frames),
              knownText(run.otherCores, 2).c_str(), knownText(run.stolenMs, 0).c_str(), run.frames, s.count);
  if (s.count == 0) {
    std::printf("  (no burst followed a wait)\n");
    return;
  }
  printFigures(s);
  std::printf(" %6zu %7s\n", s.overAim, perThousand(run.disturbedFrames, run.frames).c_str());
  printFloorRows(s, run.floorTicks, frequency, 33);
}

void printPeriodRow(const char* label, const char* device, const std::string& command, const std::string& fifo,
                    const std::string& others, const std::string& stolen, const std::string& idealMs,
                    const std::vector<int64_t>& errors, int64_t frequency) {
  const SampleSummary s = summarize(errors, frequency, kAimMicroseconds);
  std::printf("%-12s %-15s %3s %-12s %6s %5s %9s %7zu", label, device, command.c_str(), fifo.c_str(), others.c_str(),
              stolen.c_str(), idealMs.c_str(), s.count);
  if (s.count == 0) {
    std::printf("  (a single repetition)\n");
    return;
  }
  printFigures(s);
  std::printf("\n");
}

void printHeldLatenessRow(const char* label, const char* device, const std::string& command, int frames,
                          const std::vector<int64_t>& lateness, int disturbed, const std::vector<int64_t>& floorTicks,
                          int64_t frequency) {
  const SampleSummary s = summarize(lateness, frequency, kAimMicroseconds);
  std::printf("%-12s %-15s %3s %7d %8zu", label, device, command.c_str(), frames, s.count);
  if (s.count == 0) {
    std::printf("  (no burst followed a wait)\n");
    return;
  }
  printFigures(s);
  std::printf(" %6zu %7s\n", s.overAim, perThousand(disturbed, frames).c_str());
  printFloorRows(s, floorTicks, frequency, 29);
}

void printOverrunRow(const char* label, const char* device, const std::string& command,
                     const std::vector<int64_t>& overruns, int64_t frequency) {
  const SampleSummary s = summarize(overruns, frequency, kAimMicroseconds);
  std::printf("%-12s %-15s %3s %7zu", label, device, command.c_str(), s.count);
  if (s.count == 0) {
    std::printf("  (a single repetition)\n");
    return;
  }
  printFigures(s);
  std::printf("\n");
}

void printHeldTables(const std::vector<Condition>& conditions, int holdMilliseconds, int64_t frequency) {
  std::printf("\nheld button through the transmit worker, %d ms per device; SCHED_FIFO: raises granted/asked\n"
              "period error (frame start to next frame start, actual - ideal), microseconds;\n"
              "ideal = frame + frame gap on the virtual clock + pause (extraDelay + 10 ms)\n",
              holdMilliseconds);
  std::printf("%-12s %-15s %3s %-12s %6s %5s %9s %7s %9s %9s %9s %10s\n", "run", "device", "cmd", "SCHED_FIFO",
              "others", "steal", "ideal ms", "periods", "min", "p50", "p99", "max");
  for (const Condition& condition : conditions) {
    std::vector<int64_t> pooled;
    int raises = 0;
    int granted = 0;
    for (const HeldRow& row : condition.held) {
      const HeldButtonResult& r = row.result;
      char fifo[32];
      std::snprintf(fifo, sizeof fifo, "%s %d/%d", fifoWord(r.granted, r.raises), r.granted, r.raises);
      char idealMs[16];
      std::snprintf(idealMs, sizeof idealMs, "%.3f", toMicroseconds(r.idealPeriodTicks, frequency) / 1000.0);
      printPeriodRow(condition.label, row.target->deviceName, std::to_string(row.target->command), fifo,
                     knownText(r.otherCores, 2), knownText(r.stolenMs, 0), idealMs, r.periodErrorTicks, frequency);
      pooled.insert(pooled.end(), r.periodErrorTicks.begin(), r.periodErrorTicks.end());
      raises += r.raises;
      granted += r.granted;
    }
    char fifo[32];
    std::snprintf(fifo, sizeof fifo, "%s %d/%d", fifoWord(granted, raises), granted, raises);
    printPeriodRow(condition.label, "all", "-", fifo, "-", "-", "-", pooled, frequency);
  }

  std::printf("\nburst start lateness within the held frames (actual - the deadline of the worker's wait\n"
              "before it), microseconds\n");
  std::printf("%-12s %-15s %3s %7s %8s %9s %9s %9s %10s %6s %7s\n", "run", "device", "cmd", "frames", "bursts",
              "min", "p50", "p99", "max", ">5us", "dist/1k");
  for (const Condition& condition : conditions) {
    std::vector<int64_t> pooled;
    std::vector<int64_t> pooledFloor;
    int frames = 0;
    int disturbed = 0;
    for (const HeldRow& row : condition.held) {
      const HeldButtonResult& r = row.result;
      printHeldLatenessRow(condition.label, row.target->deviceName, std::to_string(row.target->command), r.frames,
                           r.latenessTicks, r.disturbedFrames, r.floorTicks, frequency);
      pooled.insert(pooled.end(), r.latenessTicks.begin(), r.latenessTicks.end());
      pooledFloor.insert(pooledFloor.end(), r.floorTicks.begin(), r.floorTicks.end());
      frames += r.frames;
      disturbed += r.disturbedFrames;
    }
    printHeldLatenessRow(condition.label, "all", "-", frames, pooled, disturbed, pooledFloor, frequency);
  }

  std::printf("\npause overrun (from the drop to normal priority after a frame's gap until time-critical\n"
              "again after the pause, minus the pause), microseconds\n");
  std::printf("%-12s %-15s %3s %7s %9s %9s %9s %10s\n", "run", "device", "cmd", "pauses", "min", "p50", "p99",
              "max");
  for (const Condition& condition : conditions) {
    std::vector<int64_t> pooled;
    for (const HeldRow& row : condition.held) {
      printOverrunRow(condition.label, row.target->deviceName, std::to_string(row.target->command),
                      row.result.pauseOverrunTicks, frequency);
      pooled.insert(pooled.end(), row.result.pauseOverrunTicks.begin(), row.result.pauseOverrunTicks.end());
    }
    printOverrunRow(condition.label, "all", "-", pooled, frequency);
  }
}

// The remote the frame runs send through, on the real clock with the real
// scheduler; each held button builds an instrumented one of its own.
struct FrameRunRemote {
  FrameRunRemote() {
    startCatalogue(remote->catalogue, remote->current);
    remote->timer.calibrateTimer();
  }

  MonotonicCounter clock;
  RealThreadPriority priority;
  BenchPlatform machine{clock, clock, priority};
  std::unique_ptr<Remote> remote = std::make_unique<Remote>(machine, DataFiles{}, std::cerr, "bench_burst_timing");
};

// Frames run, then each held button; nothing if any of them fails.
std::optional<Condition> runCondition(const char* label, FrameRunRemote& sender,
                                      const std::vector<FrameTarget>& targets, const Options& options) {
  std::optional<FrameRunResult> frames = timeFrames(*sender.remote, sender.machine, targets, options.frames);
  if (!frames) return std::nullopt;
  Condition condition{label, std::move(*frames), {}};
  for (const HeldTarget& target : kHeldTargets) {
    std::optional<HeldButtonResult> held =
        holdButton(target.deviceName, target.command, std::chrono::milliseconds(options.holdMilliseconds));
    if (!held) return std::nullopt;
    condition.held.push_back({&target, std::move(*held)});
  }
  return condition;
}

bool heldTargetsExist(const DeviceCatalogue& catalogue) {
  for (const HeldTarget& target : kHeldTargets) {
    DeviceProfile* device = findDevice(catalogue, target.deviceName);
    if (device == nullptr || !commandExists(target.command, *device)) {
      std::fprintf(stderr, "bench_burst_timing: no command %d of '%s' in the catalogue\n", target.command,
                   target.deviceName);
      return false;
    }
  }
  return true;
}

void printUsage(std::FILE* to) {
  std::fprintf(to,
               "usage: bench_burst_timing [--frames N] [--hold-ms N] [--help]\n"
               "Measures how late each burst of a frame starts after the wait before it, on the\n"
               "real clock with the simulated transmitter, and how steadily a button held through\n"
               "the transmit worker repeats; once idle, once with another core busy.\n"
               "  --frames N   frames per frame run, cycling through 5 devices x %d commands (default %d)\n"
               "  --hold-ms N  how long each of %zu buttons is held through the worker (default %d)\n"
               "  --help       show this text\n",
               kCommandsPerDevice, kDefaultFrames, std::size(kHeldTargets), kDefaultHoldMilliseconds);
}

bool parseCount(const std::string& option, const std::string& value, int max, int& out) {
  int parsed = 0;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), parsed);
  if (ec != std::errc() || end != value.data() + value.size() || parsed < 1 || parsed > max) {
    std::fprintf(stderr, "bench_burst_timing: %s needs a number from 1 to %d, got '%s'\n", option.c_str(), max,
                 value.c_str());
    return false;
  }
  out = parsed;
  return true;
}

// The options; nothing after --help (exit 0) or on bad usage (exit 2, which
// `usageError` tells apart).
std::optional<Options> parseArguments(int argc, char** argv, bool& usageError) {
  Options options;
  usageError = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help") {
      printUsage(stdout);
      return std::nullopt;
    }
    std::string option = arg;
    std::string value;
    if (const size_t equals = arg.find('='); arg.rfind("--", 0) == 0 && equals != std::string::npos) {
      option = arg.substr(0, equals);
      value = arg.substr(equals + 1);
    } else if (arg == "--frames" || arg == "--hold-ms") {
      value = i + 1 < argc ? argv[++i] : "";
    }
    bool ok = false;
    if (option == "--frames") {
      ok = parseCount(option, value, kMaxFrames, options.frames);
    } else if (option == "--hold-ms") {
      ok = parseCount(option, value, kMaxHoldMilliseconds, options.holdMilliseconds);
    } else {
      std::fprintf(stderr, "bench_burst_timing: unexpected argument '%s'\n", arg.c_str());
      printUsage(stderr);
    }
    if (!ok) {
      usageError = true;
      return std::nullopt;
    }
  }
  return options;
}

int run(int argc, char** argv) {
  bool usageError = false;
  const std::optional<Options> options = parseArguments(argc, argv, usageError);
  if (!options) return usageError ? 2 : 0;

  FrameRunRemote sender;
  const DeviceCatalogue& catalogue = sender.remote->catalogue;
  const std::vector<FrameTarget> targets = chooseFrameTargets(catalogue, kFrameDevices, kCommandsPerDevice);
  if (targets.empty() || !heldTargetsExist(catalogue)) return 1;

  std::vector<Condition> conditions;
  std::optional<Condition> idle = runCondition("idle", sender, targets, *options);
  if (!idle) return 1;
  conditions.push_back(std::move(*idle));
  {
    const OtherCoreLoad load;
    std::optional<Condition> loaded = runCondition("other busy", sender, targets, *options);
    if (!loaded) return 1;
    conditions.push_back(std::move(*loaded));
  }

  const int64_t frequency = MonotonicCounter().frequency();
  std::printf("burst start lateness (actual - ideal), microseconds; %zu device/command pairs, %u cores;\n"
              "others: CPU used by other processes during the run, in cores; steal: CPU time the\n"
              "hypervisor took from the machine meanwhile, in ms (10 ms steps); dist/1k: frames with a\n"
              "burst late past its allowance per 1000 sent; floor: the same waits by a bare busy-wait\n"
              "loop right after, at the same priority and in the same rhythm\n",
              targets.size(), std::thread::hardware_concurrency());
  std::printf("%-12s %-10s %6s %5s %7s %8s %9s %9s %9s %10s %6s %7s\n", "run", "SCHED_FIFO", "others", "steal",
              "frames", "bursts", "min", "p50", "p99", "max", ">5us", "dist/1k");
  for (const Condition& condition : conditions) printFrameRow(condition.label, condition.frames, frequency);
  printHeldTables(conditions, options->holdMilliseconds, frequency);
  return 0;
}

}  // namespace
}  // namespace zapvane::bench

int main(int argc, char** argv) { return zapvane::bench::run(argc, argv); }
