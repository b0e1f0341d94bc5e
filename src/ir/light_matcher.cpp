#include "ir/light_matcher.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "catalogue/device_catalogue.h"
#include "catalogue/ir_settings.h"
#include "ir/adjustments.h"
#include "ir/frame_light.h"

namespace zapvane {

namespace {

constexpr int64_t kTolerancePercent = 25;

bool within(int64_t seen, int64_t expected) {
  return std::llabs(seen - expected) * 100 <= expected * kTolerancePercent;
}

// The sim log leaves out the space after a frame's last pulse.
std::vector<int64_t> withoutTrailingSpace(std::vector<int64_t> durations) {
  if (durations.size() % 2 == 0 && !durations.empty()) durations.pop_back();
  return durations;
}

}  // namespace

LightMatcher::LightMatcher() {
  // Every frame at adjustment 0, as a device expects it.
  auto catalogue = std::make_unique<DeviceCatalogue>();
  CurrentDevice current;
  startCatalogue(*catalogue, current);
  IrSettings settings;
  const std::atomic<bool> autoAdjustActive{false};
  const AdjustmentsInForce adjustments(current, settings, autoAdjustActive);
  for (int32_t device = 0; device < kBuiltInCount; ++device) {
    DeviceProfile& profile = catalogue->builtIn[static_cast<size_t>(device)];
    current.device = &profile;
    for (int32_t command = 0; command < profile.commandCount; ++command) {
      if (!commandExists(command, profile)) continue;
      rendered_.push_back({device, command, codeHex(profile, command),
                           withoutTrailingSpace(composeFrameLight(profile, command, adjustments).durations)});
    }
  }
}

std::vector<LightMatch> LightMatcher::match(const std::vector<int64_t>& durations) const {
  const std::vector<int64_t> seen = withoutTrailingSpace(durations);
  std::vector<LightMatch> matches;
  for (const Rendered& r : rendered_) {
    if (r.durations.size() != seen.size()) continue;
    bool all = true;
    for (size_t i = 0; all && i < seen.size(); ++i) all = within(seen[i], r.durations[i]);
    if (all) matches.push_back({r.device, r.command, r.code});
  }
  return matches;
}

std::string LightMatcher::codeHex(const DeviceProfile& profile, int32_t command) {
  const CommandRow row = commandEntry(profile, command);
  const int digits = (profile.timing.codeBits + 3) / 4;
  char text[32];
  if (row.width() == 5) {
    const uint64_t code = static_cast<uint64_t>(row.codeHigh()) << 32 | row.codeLow();
    std::snprintf(text, sizeof text, "%0*llX", digits, static_cast<unsigned long long>(code));
  } else {
    std::snprintf(text, sizeof text, "%0*X", digits, row.code());
  }
  return text;
}

}  // namespace zapvane
