#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>

#include "app/command_names.h"
#include "cli/commands.h"
#include "cli/json_output.h"
#include "cli/sim_log_reader.h"
#include "ir/light_matcher.h"

namespace zapvane::cli {

namespace {

// What one frame is: its size and every built-in command that sends it.
struct FrameVerdict {
  size_t pulses = 0;
  double milliseconds = 0;
  std::vector<LightMatch> matches;
};

FrameVerdict judgeFrame(const std::vector<int64_t>& durations, const LightMatcher& matcher) {
  int64_t total = 0;
  for (int64_t d : durations) total += d;
  return {(durations.size() + 1) / 2, static_cast<double>(total) / 1000.0, matcher.match(durations)};
}

std::string verdictText(const FrameVerdict& verdict, const DeviceCatalogue& catalogue) {
  char head[64];
  std::snprintf(head, sizeof head, "%zu pulses, %.1f ms", verdict.pulses, verdict.milliseconds);
  std::string line = head;
  if (verdict.matches.empty()) return line + ", unknown";
  // Identical light is identical bits, so every match shares one code.
  line += ", code " + verdict.matches.front().code + ":";
  for (size_t i = 0; i < verdict.matches.size(); ++i) {
    const LightMatch& m = verdict.matches[i];
    line += (i == 0 ? " " : ", ") + deviceName(*catalogue.entries[static_cast<size_t>(m.device)]) + " command " +
            std::to_string(m.command);
  }
  return line;
}

}  // namespace

std::string describeFrame(const std::vector<int64_t>& durations, const LightMatcher& matcher,
                          const DeviceCatalogue& catalogue) {
  return verdictText(judgeFrame(durations, matcher), catalogue);
}

std::string describeFrameJson(const std::vector<int64_t>& durations, const std::string& time,
                              const LightMatcher& matcher, const DeviceCatalogue& catalogue, bool withDurations) {
  const FrameVerdict verdict = judgeFrame(durations, matcher);
  char milliseconds[32];
  std::snprintf(milliseconds, sizeof milliseconds, "%.1f", verdict.milliseconds);
  std::string commands = "[";
  for (const LightMatch& m : verdict.matches) {
    if (commands.size() > 1) commands += ',';
    const DeviceProfile& device = *catalogue.entries[static_cast<size_t>(m.device)];
    commands += JsonObject()
                    .add("device", deviceName(device))
                    .add("index", m.device)
                    .add("command", m.command)
                    .add("name", commandName(device, m.command))
                    .str();
  }
  JsonObject line;
  line.addJson("time", time.empty() ? "null" : jsonString(time))
      .add("pulses", static_cast<int64_t>(verdict.pulses))
      .addJson("ms", milliseconds)
      .addJson("code", verdict.matches.empty() ? "null" : jsonString(verdict.matches.front().code))
      .addJson("commands", commands + "]");
  if (withDurations) {
    std::string list = "[";
    for (int64_t d : durations) list += (list.size() > 1 ? "," : "") + std::to_string(d);
    line.addJson("durations", list + "]");
  }
  return line.str();
}

int runMonitor(Context& context, const std::vector<std::string>& args) {
  const ParsedArgs parsed =
      parseArgs(args, {}, 0, "no arguments but --follow, --since-last, --json", {"--follow", "--since-last", "--json"});
  const bool follow = parsed.flag("--follow");
  const bool json = parsed.flag("--json");
  auto catalogue = std::make_unique<DeviceCatalogue>();
  CurrentDevice current;
  startCatalogue(*catalogue, current);
  const LightMatcher matcher;
  const std::string path = DataFiles::in(context.dataDir).simLog;
  const std::string positionPath = path + ".monitor";
  if (!follow && !std::filesystem::exists(path)) {
    context.err << "zapvane-cli monitor: nothing sent yet (" << path << " does not exist)\n";
    return kExitOk;
  }
  SimLogReader reader(path, parsed.flag("--since-last") ? loadMonitorPosition(positionPath) : SimLogPosition{});
  for (;;) {
    for (const LoggedFrame& frame : reader.readNewFrames()) {
      if (json) {
        context.out << describeFrameJson(frame.durations, frame.sentAt, matcher, *catalogue, false) << '\n';
      } else {
        context.out << (frame.sentAt.empty() ? "" : frame.sentAt + " ") << describeFrame(frame.durations, matcher, *catalogue)
                    << '\n';
      }
    }
    context.out.flush();
    if (!reader.caughtUp()) continue;
    saveMonitorPosition(positionPath, reader.resumePosition());
    if (!follow) return kExitOk;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
}

}  // namespace zapvane::cli
