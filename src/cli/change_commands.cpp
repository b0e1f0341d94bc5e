#include <algorithm>
#include <array>

#include "app/user_device_deletion.h"
#include "cli/commands.h"
#include "platform/real_platform.h"

namespace zapvane::cli {

namespace {

constexpr int32_t kMinStep = -5;
constexpr int32_t kMaxStep = 5;

int32_t numberIn(const std::string& text, const std::string& what, int32_t min, int32_t max) {
  const int32_t value = parseNumber(text, what);
  if (value < min || value > max) {
    fail(Status::invalidArgument(what + " must be " + std::to_string(min) + ".." + std::to_string(max)));
  }
  return value;
}

// Each setting writes its field of the record from the text given; the
// record is saved whole afterwards.
struct SettingWriter {
  const char* name;
  void (*write)(IrSettings& settings, const std::string& value);
};

constexpr std::array<SettingWriter, 4> kSettingWriters{{
    {"port", [](IrSettings& s, const std::string& v) { s.port = numberIn(v, "port", 1, kMaxComPort) - 1; }},
    {"space-adjust",
     [](IrSettings& s, const std::string& v) { s.spaceAdjust = numberIn(v, "space-adjust", kMinStep, kMaxStep); }},
    {"mark-adjust",
     [](IrSettings& s, const std::string& v) { s.markAdjust = numberIn(v, "mark-adjust", kMinStep, kMaxStep); }},
    {"sound",
     [](IrSettings& s, const std::string& v) {
       if (v != "on" && v != "off") fail(Status::invalidArgument("sound must be on or off"));
       s.soundOn = v == "on" ? 1 : 0;
     }},
}};

}  // namespace

int runSet(Context& context, const std::vector<std::string>& args) {
  const ParsedArgs parsed = parseArgs(args, {}, 2, "port|space-adjust|mark-adjust|sound VALUE");
  const std::string& name = parsed.positional[0];
  const auto writer = std::find_if(kSettingWriters.begin(), kSettingWriters.end(),
                                   [&](const SettingWriter& w) { return name == w.name; });
  if (writer == kSettingWriters.end()) {
    fail(Status::invalidArgument("no setting '" + name + "' (port, space-adjust, mark-adjust, sound)"));
  }
  IrSettings wanted;
  writer->write(wanted, parsed.positional[1]);  // a bad value fails before the folder is touched
  RealPlatform platform("zapvane-cli");
  const auto remote = startRemote(platform, context, Access::write);
  writer->write(remote->settings, parsed.positional[1]);
  remote->saveSettingsFile();
  requireSaved(*remote);
  return kExitOk;
}

int runDeleteDevice(Context& context, const std::vector<std::string>& args) {
  const ParsedArgs parsed = parseArgs(args, {}, 1, "<device>");
  RealPlatform platform("zapvane-cli");
  const auto remote = startRemote(platform, context, Access::write);
  const int32_t index = resolveDevice(remote->catalogue, parsed.positional[0]);
  if (index < kBuiltInCount) {
    fail(Status::invalidArgument("'" + parsed.positional[0] + "' is a built-in device; only user devices can be deleted"));
  }
  deleteUserDevice(*remote, index - kBuiltInCount);
  requireSaved(*remote);
  return kExitOk;
}

}  // namespace zapvane::cli
