#include <algorithm>
#include <cctype>
#include <charconv>

#include "app/command_names.h"
#include "catalogue/text.h"
#include "cli/commands.h"

namespace zapvane::cli {

const std::vector<Subcommand>& subcommands() {
  static const std::vector<Subcommand> table = {
      {"devices", "devices [--json]",
       "One line per catalogue entry, in catalogue order:\n"
       "  <index>\\t<name>\\t<builtin|user>\\t<tv|vcr>\\t<commandCount>\\t<labelCount>\n"
       "With --json, one array of objects with the keys index, name, kind, skin,\n"
       "commandCount and labelCount.\n",
       runDevices},
      {"frame", "frame <device> <command> [--space-adjust N] [--mark-adjust N]",
       "The steps of one frame in the order the encoder performs them, one per line:\n"
       "  stamp        a new time stamp that the next wait is measured from\n"
       "  burst N      N zero bytes of carrier (234.375 us each)\n"
       "  wait N       wait until N us after the stamp, before the space adjustment\n"
       "<device> is a catalogue index or an exact device name, <command> a command\n"
       "index or a command's name as 'commands' lists it (any case); digits are\n"
       "always an index, so the TV skin's digit buttons go by index. The\n"
       "adjustments (-5..5, default 0) are in force for the frame.\n"
       "Exit 1 when the device has no such command.\n",
       runFrame},
      {"pulses", "pulses <device> <command> [--space-adjust N] [--mark-adjust N]",
       "The light of one frame on the simulated port, on a virtual 1 GHz counter, as\n"
       "mode2 lines: 'pulse <us>' and 'space <us>' alternating, rounded to the\n"
       "nearest microsecond; the last line is the space to the end of the frame.\n"
       "Arguments and exit codes as for 'frame'.\n",
       runPulses},
      {"settings", "settings [--json]",
       "The settings record, one name=value line per field in file order:\n"
       "  port, spaceAdjust, savedSelectionPos, soundOn, markAdjust\n"
       "With --json, one object with those keys.\n"
       "A missing settings file is created with the defaults first.\n",
       runSettings},
      {"selection", "selection [--json | INDEX...]",
       "Without indices: the selection list, one catalogue index per line; with\n"
       "--json, one array of catalogue indices.\n"
       "With indices: replaces the list with them, in the order given, and saves it.\n"
       "An index that is no catalogue entry exits 2 and writes nothing.\n",
       runSelection},
      {"send", "send <device> <command> [--hold MS | --count N] [--port N]",
       "Sends the command as a tap held for MS milliseconds (default 0: exactly one\n"
       "frame, its gap and its pause), or held for exactly N frames (1..100000),\n"
       "through the port of the settings, or COM port N (1-based, 1..32767), with\n"
       "the adjustments in force; <command> as for 'frame'. The simulated port (COM1\n"
       "unless ports.conf says otherwise) appends the light to ir-sim.log in the data\n"
       "directory. Exit 1 when the port cannot be opened, the command is absent or\n"
       "the log cannot record a frame.\n",
       runSend},
      {"monitor", "monitor [--follow] [--since-last] [--json]",
       "Reads ir-sim.log and prints one line per frame: the time it was sent (UTC),\n"
       "its number of pulses, its length in ms, and where its marks and spaces match\n"
       "a built-in device's frame within 25 %, the code in hex and every built-in\n"
       "device and command that sends it; else 'unknown'. With --follow, waits for\n"
       "new frames like tail -f. With --since-last, only the frames after those the\n"
       "previous monitor saw. With --json, one JSON object per frame and line.\n",
       runMonitor},
      {"new-device", "new-device <name> --skin tv|vcr",
       "Creates a user device (at most 30; names are cut to 48 characters), appends it\n"
       "to the catalogue and the selection, saves both files and prints its catalogue\n"
       "index. Exit 1 at the limit, 2 for an empty name.\n",
       runNewDevice},
      {"label", "label <device> <slot> <text>",
       "Names shift-page command <slot> (0..9, or the command's present name) of a\n"
       "user device (at most 13 characters) and saves the user devices.\n",
       runLabel},
      {"learn", "learn <device> <command> [--from-pulses FILE [--gap MS]] [--timeout SECONDS]",
       "Captures one signal into command <command> (an index or a name, as for\n"
       "'frame') of a user device from the port of the settings, then saves the user\n"
       "devices. With --from-pulses, FILE (a regular file of at most 1 MiB) holds one\n"
       "frame as 'pulse N' / 'space N' lines (as 'pulses' prints), played by a\n"
       "simulated remote into the simulated receiver on\n"
       "a virtual clock, repeated after MS milliseconds (default 50) while the capture\n"
       "listens: the result is the same every time. Exit 1 when no light arrives\n"
       "within SECONDS (1..86400, default 10).\n",
       runLearn},
      {"set", "set port|space-adjust|mark-adjust|sound VALUE",
       "Changes one setting and saves the settings: port N (COM port N, 1..32767),\n"
       "space-adjust N and mark-adjust N (-5..5, the pair in force for built-in\n"
       "devices), sound on|off.\n",
       runSet},
      {"delete-device", "delete-device <device>",
       "Deletes a user device. The user devices after it move down one catalogue\n"
       "index; the selection drops the device and follows the others, and saves\n"
       "before the user devices. Exit 2 for a built-in device.\n",
       runDeleteDevice},
      {"ports", "ports [--json]",
       "What stands behind each port, one line each, then the kernel IR devices found:\n"
       "  COMn\tsim | COMn\ttty\t<path> | COMn\tlirc\t<path>\t<features> | COMn\tnone\n"
       "  found\t<path>\t<features>\n"
       "<features> are what the device reports (send-pulse, set-carrier,\n"
       "set-duty-cycle, receive-mode2, ...), or 'unavailable: <reason>'. With --json,\n"
       "one array of objects with the keys port, kind, path and detail.\n",
       runPorts},
      {"receive", "receive [--port N] [--timeout SECONDS] [--count K] [--json]",
       "Prints what the receiver of the port of the settings, or COM port N, hears: each\n"
       "signal as 'pulse N' / 'space N' lines, then the line 'monitor' prints for it,\n"
       "then a blank line. A signal ends at the receiver's time-out or a space of\n"
       "100 ms. The simulated port hears the SimRemote= of ports.conf. Ends after K\n"
       "signals, or once nothing has arrived for SECONDS (1..86400, default 10);\n"
       "exit 1 when nothing arrived at all or the port cannot receive. With --json,\n"
       "one object per signal and line: monitor --json's keys and the durations.\n",
       runReceive},
      {"commands", "commands <device> [--json]",
       "One line per present command of the device:\n"
       "  <index>\\t<name>\\t<main|shift>\n"
       "With --json, one array of objects with the keys index, name and page.\n"
       "Main-page buttons have fixed names (Power, 1..9, 0, Vol_up, Vol_dn, Ch_next,\n"
       "Ch_prev, Mute, -/--, Play, Stop, Ff, Rew, Next, Prev, Pause, Rec), shift-page\n"
       "commands their labels (F1..F9, F0 while unnamed).\n",
       runCommands},
      {"import", "import FILE [--name NAME] [--skin tv|vcr]",
       "Creates a user device from a Flipper .ir file or a file of Pronto Hex codes\n"
       "(one 'name: words' or bare code per line), named NAME (default: the file's\n"
       "name without extension), on the skin its signal names suit unless --skin\n"
       "says. Signals named for a skin button (Power, Vol_up, VOL+, CH-, 1, ...) go\n"
       "to that button, the rest to the shift page in file order. Prints the new\n"
       "catalogue index, 'slot N <- NAME' per signal stored and 'skipped NAME:\n"
       "REASON' per signal left out (more than 89 pairs, unknown protocol, bad\n"
       "numbers, no room). Exit 1, writing nothing, for a damaged file, one without\n"
       "a usable signal, or a 31st user device.\n",
       runImport},
      {"export", "export <device> [--format ir|pronto|lircd] [--output FILE]",
       "Writes every present command of the device as raw light at 38 kHz, exactly\n"
       "the durations 'pulses' shows, named as 'commands' lists them: a Flipper .ir\n"
       "file (default), Pronto Hex 'name: words' lines or a lircd.conf remote of\n"
       "raw codes. To FILE (replaced whole) or standard output.\n",
       runExport},
  };
  return table;
}

std::optional<std::string> ParsedArgs::value(const std::string& name) const {
  // The last one counts, as with every getopt program.
  for (auto it = options.rbegin(); it != options.rend(); ++it) {
    if (it->first == name) return it->second;
  }
  return std::nullopt;
}

bool ParsedArgs::flag(const std::string& name) const {
  return std::find(flags.begin(), flags.end(), name) != flags.end();
}

ParsedArgs scanOptions(const std::vector<std::string>& args, const std::vector<std::string>& valued,
                       const std::vector<std::string>& flags, bool stopAtFirstPositional) {
  ParsedArgs parsed;
  const auto known = [](const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--" && !optionsEnded) {
      optionsEnded = true;
      continue;
    }
    // "-1" is a number, not an option.
    const bool looksLikeOption = arg.size() > 1 && arg[0] == '-' && !std::isdigit(static_cast<unsigned char>(arg[1]));
    if (optionsEnded || !looksLikeOption) {
      if (stopAtFirstPositional) {
        parsed.positional.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
        return parsed;
      }
      parsed.positional.push_back(arg);
      continue;
    }
    const auto eq = arg.find('=');
    const std::string name = arg.substr(0, eq);
    if (known(flags, name) && eq == std::string::npos) {
      parsed.flags.push_back(name);
    } else if (!known(valued, name)) {
      fail(Status::invalidArgument("unknown option " + arg));
    } else if (eq != std::string::npos) {
      parsed.options.emplace_back(name, arg.substr(eq + 1));
    } else if (i + 1 < args.size()) {
      parsed.options.emplace_back(name, args[++i]);
    } else {
      fail(Status::invalidArgument(name + " needs a value"));
    }
  }
  return parsed;
}

ParsedArgs parseArgs(const std::vector<std::string>& args, const std::vector<std::string>& valued,
                     size_t positionalCount, const std::string& synopsis, const std::vector<std::string>& flags) {
  ParsedArgs parsed = scanOptions(args, valued, flags, false);
  if (parsed.positional.size() != positionalCount) fail(Status::invalidArgument("needs " + synopsis));
  return parsed;
}

bool jsonFlagAlone(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg != "--json") fail(Status::invalidArgument("takes no arguments, got '" + arg + "'"));
  }
  return !args.empty();
}

ChosenCommand chooseCommand(Remote& remote, const std::string& deviceText, const std::string& commandText) {
  const int32_t index = resolveDevice(remote.catalogue, deviceText);
  DeviceProfile& device = *remote.catalogue.entries[static_cast<size_t>(index)];
  const int32_t command = resolveCommandOf(device, commandText);
  remote.current.device = &device;
  remote.current.catalogueIndex = index;
  const std::string name = printableDeviceName(device);
  if (command < 0 || command >= device.commandCount) {
    fail(Status::notFound("'" + name + "' has commands 0.." + std::to_string(device.commandCount - 1) + ", not " +
                       commandText));
  }
  if (!commandExists(command, device)) fail(Status::notFound("'" + name + "' has no command " + commandText));
  return {&device, command};
}

int32_t parseTimeoutSeconds(const ParsedArgs& parsed) {
  constexpr int32_t kDefaultSeconds = 10;
  constexpr int32_t kMostSeconds = 86'400;
  const auto text = parsed.value("--timeout");
  if (!text) return kDefaultSeconds;
  const int32_t seconds = parseNumber(*text, "--timeout value");
  if (seconds < 1 || seconds > kMostSeconds) {
    fail(Status::invalidArgument("--timeout takes seconds from 1 to " + std::to_string(kMostSeconds)));
  }
  return seconds;
}

int32_t parseComPort(const std::string& text) {
  const int32_t port = parseNumber(text, "--port value");
  if (port < 1 || port > kMaxComPort) {
    fail(Status::invalidArgument("--port takes a COM port number from 1 to " + std::to_string(kMaxComPort)));
  }
  return port;
}

int32_t resolveCommandOf(const DeviceProfile& device, const std::string& text) {
  int32_t command = 0;
  const Status resolved = resolveCommand(device, text, command);
  if (!resolved.isOk()) {
    fail(Status::invalidArgument(resolved.message() + " on '" + printableDeviceName(device) +
                                 "' (see 'zapvane-cli commands')"));
  }
  return command;
}

int32_t parseNumber(const std::string& text, const std::string& what) {
  int32_t value = 0;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  const auto [end, ec] = std::from_chars(first, last, value);
  if (text.empty() || ec != std::errc() || end != last) {
    fail(Status::invalidArgument("malformed " + what + ": '" + text + "'"));
  }
  return value;
}

namespace {

// The length in bytes of the control character (C0, DEL or C1) that starts
// at text[i], or 0.
size_t controlCharacterAt(const std::string& text, size_t i) {
  const auto c = static_cast<unsigned char>(text[i]);
  if (c < 0x20 || c == 0x7F) return 1;
  // C1 controls (U+0080..U+009F) are 0xC2 0x80..0x9F in UTF-8.
  const bool c1 = c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F &&
                  static_cast<unsigned char>(text[i + 1]) >= 0x80;
  return c1 ? 2 : 0;
}

}  // namespace

void refuseControlCharacters(const std::string& text, const std::string& what) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (controlCharacterAt(text, i) != 0) fail(Status::invalidArgument(what + " cannot hold control characters"));
  }
}

std::string deviceName(const DeviceProfile& profile) {
  return utf16ToUtf8(profile.name.data(), profile.name.size());
}

std::string printableText(const std::string& text) {
  std::string shown;
  for (size_t i = 0; i < text.size();) {
    const size_t control = controlCharacterAt(text, i);
    if (control == 0) {
      shown += text[i++];
    } else {
      shown += "\uFFFD";  // the replacement character
      i += control;
    }
  }
  return shown;
}

std::string printableDeviceName(const DeviceProfile& profile) { return printableText(deviceName(profile)); }

int32_t resolveDevice(const DeviceCatalogue& catalogue, const std::string& device) {
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
  fail(Status::invalidArgument("unknown device '" + device + "' (see 'zapvane-cli devices')"));
}

std::unique_ptr<Remote> startRemote(Platform& platform, const Context& context, Access access) {
  auto remote = std::make_unique<Remote>(platform, DataFiles::in(context.dataDir), context.err, "zapvane-cli");
  remote->problems.leaveSaveFailuresToCaller();
  if (access == Access::write) {
    const Status locked = remote->lockDataFolder(Remote::Holder::command, context.waitSeconds);
    if (locked.code() == Status::Code::busy) fail(Status::busy(locked.message() + " (see --wait)"));
    if (!locked.isOk()) fail(locked);
  }
  const Status started = remote->start();
  if (!started.isOk()) fail(started);
  return remote;
}

void requireSaved(const Remote& remote) {
  const Status& failed = remote.problems.firstFailedSave();
  if (!failed.isOk()) fail(failed);
}

}  // namespace zapvane::cli
