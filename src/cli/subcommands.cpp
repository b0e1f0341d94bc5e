#include <charconv>

#include "catalogue/text.h"
#include "cli/commands.h"

namespace zapvane::cli {

const std::vector<Subcommand>& subcommands() {
  static const std::vector<Subcommand> table = {
      {"devices", "devices",
       "One line per catalogue entry, in catalogue order:\n"
       "  <index>\\t<name>\\t<builtin|user>\\t<tv|vcr>\\t<commandCount>\\t<labelCount>\n",
       runDevices},
      {"frame", "frame <device> <command> [--space-adjust N] [--mark-adjust N]",
       "The steps of one frame in the order the encoder performs them, one per line:\n"
       "  stamp        a new time stamp that the next wait is measured from\n"
       "  burst N      N zero bytes of carrier (234.375 us each)\n"
       "  wait N       wait until N us after the stamp, before the space adjustment\n"
       "<device> is a catalogue index or an exact device name, <command> a command\n"
       "index. The adjustments (-5..5, default 0) are in force for the frame.\n"
       "Exit 1 when the device has no such command.\n",
       runFrame},
      {"pulses", "pulses <device> <command> [--space-adjust N] [--mark-adjust N]",
       "The light of one frame on the simulated port, on a virtual 1 GHz counter, as\n"
       "mode2 lines: 'pulse <us>' and 'space <us>' alternating, rounded to the\n"
       "nearest microsecond; the last line is the space to the end of the frame.\n"
       "Arguments and exit codes as for 'frame'.\n",
       runPulses},
      {"settings", "settings",
       "The settings record, one name=value line per field in file order:\n"
       "  port, spaceAdjust, savedSelectionPos, soundOn, markAdjust\n"
       "A missing settings file is created with the defaults first.\n",
       runSettings},
      {"selection", "selection [INDEX...]",
       "Without indices: the selection list, one catalogue index per line.\n"
       "With indices: replaces the list with them, in the order given, and saves it.\n"
       "An index that is no catalogue entry exits 2 and writes nothing.\n",
       runSelection},
  };
  return table;
}

int32_t parseNumber(const std::string& text, const std::string& what) {
  int32_t value = 0;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  const auto [end, ec] = std::from_chars(first, last, value);
  if (text.empty() || ec != std::errc() || end != last) {
    throw UsageError("malformed " + what + ": '" + text + "'");
  }
  return value;
}

std::string deviceName(const DeviceProfile& profile) {
  return utf16ToUtf8(profile.name.data(), profile.name.size());
}

int32_t resolveDevice(const RemoteCore& core, const std::string& device) {
  const DeviceCatalogue& catalogue = core.catalogue;
  const bool numeric = !device.empty() && device.find_first_not_of("0123456789") == std::string::npos;
  if (numeric) {
    int32_t index = -1;
    const auto [end, ec] = std::from_chars(device.data(), device.data() + device.size(), index);
    if (ec == std::errc() && end == device.data() + device.size() && index < catalogue.catalogueCount) {
      return index;
    }
  }
  for (int32_t i = 0; i < catalogue.catalogueCount; ++i) {
    if (deviceName(*catalogue.entries[static_cast<size_t>(i)]) == device) return i;
  }
  throw UsageError("unknown device '" + device + "' (see 'zapvane-cli devices')");
}

void startCore(RemoteCore& core, const Context& context) {
  StderrMessages messages;
  ProblemReporter problems(context.err, "zapvane-cli");
  startRemote(core, DataFiles::in(context.dataDir), nullptr, messages, problems);
}

}  // namespace zapvane::cli
