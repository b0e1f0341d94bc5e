#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>

#include "cli/commands.h"
#include "cli/sim_log_reader.h"
#include "ir/light_matcher.h"

namespace zapvane::cli {

std::string describeFrame(const std::vector<int64_t>& durations, const LightMatcher& matcher,
                          const DeviceCatalogue& catalogue) {
  int64_t total = 0;
  for (int64_t d : durations) total += d;
  char head[64];
  std::snprintf(head, sizeof head, "%zu pulses, %.1f ms", (durations.size() + 1) / 2,
                static_cast<double>(total) / 1000.0);
  std::string line = head;
  const std::vector<LightMatch> matches = matcher.match(durations);
  if (matches.empty()) return line + ", unknown";
  // Identical light is identical bits, so every match shares one code.
  line += ", code " + matches.front().code + ":";
  for (size_t i = 0; i < matches.size(); ++i) {
    line += (i == 0 ? " " : ", ") + deviceName(*catalogue.entries[static_cast<size_t>(matches[i].device)]) +
            " command " + std::to_string(matches[i].command);
  }
  return line;
}

int runMonitor(Context& context, const std::vector<std::string>& args) {
  const ParsedArgs parsed = parseArgs(args, {}, 0, "no arguments but --follow", {"--follow"});
  const bool follow = parsed.flag("--follow");
  auto catalogue = std::make_unique<DeviceCatalogue>();
  CurrentDevice current;
  startCatalogue(*catalogue, current);
  const LightMatcher matcher;
  const std::string path = DataFiles::in(context.dataDir).simLog;
  if (!follow && !std::filesystem::exists(path)) {
    context.err << "zapvane-cli monitor: nothing sent yet (" << path << " does not exist)\n";
    return kExitOk;
  }
  SimLogReader reader(path);
  for (;;) {
    for (const auto& frame : reader.readNewFrames()) context.out << describeFrame(frame, matcher, *catalogue) << '\n';
    context.out.flush();
    if (!reader.caughtUp()) continue;
    if (!follow) return kExitOk;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
}

}  // namespace zapvane::cli
