// The subcommands of zapvane-cli and what they share.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/cli.h"
#include <memory>

#include "app/remote.h"
#include "ir/light_matcher.h"
#include "platform/platform.h"

namespace zapvane {
class LightMatcher;
}

namespace zapvane::cli {

// A subcommand that cannot go on throws its Status; runCli prints the
// message on one line and turns the kind into the exit code
// (exitCodeFor): bad usage (invalidArgument) 2, anything else 1.
struct Failure : std::runtime_error {
  explicit Failure(Status failed) : std::runtime_error(failed.message()), status(std::move(failed)) {}
  Status status;
};
[[noreturn]] inline void fail(Status status) { throw Failure(std::move(status)); }
int exitCodeFor(const Status& status);

struct Context {
  std::string dataDir;
  std::ostream& out;
  std::ostream& err;
  // --wait: how long a changing command waits for the data folder.
  double waitSeconds = 0;
};

struct Subcommand {
  const char* name;
  const char* synopsis;
  const char* help;
  int (*run)(Context& context, const std::vector<std::string>& args);
};

const std::vector<Subcommand>& subcommands();

int runDevices(Context& context, const std::vector<std::string>& args);
int runFrame(Context& context, const std::vector<std::string>& args);
int runPulses(Context& context, const std::vector<std::string>& args);
int runSettings(Context& context, const std::vector<std::string>& args);
int runSelection(Context& context, const std::vector<std::string>& args);
int runSend(Context& context, const std::vector<std::string>& args);
int runMonitor(Context& context, const std::vector<std::string>& args);
int runNewDevice(Context& context, const std::vector<std::string>& args);
int runLabel(Context& context, const std::vector<std::string>& args);
int runLearn(Context& context, const std::vector<std::string>& args);
int runSet(Context& context, const std::vector<std::string>& args);
int runDeleteDevice(Context& context, const std::vector<std::string>& args);
int runPorts(Context& context, const std::vector<std::string>& args);
int runReceive(Context& context, const std::vector<std::string>& args);
int runCommands(Context& context, const std::vector<std::string>& args);
int runImport(Context& context, const std::vector<std::string>& args);
int runExport(Context& context, const std::vector<std::string>& args);

// --- shared helpers ----------------------------------------------------------

// Positional arguments and "--name value" / "--name=value" options; after
// "--" every argument is positional.
struct ParsedArgs {
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> options;
  std::vector<std::string> flags;

  std::optional<std::string> value(const std::string& name) const;
  bool flag(const std::string& name) const;
};
// The one option scanner of zapvane-cli, for its own options and each
// command's. An invalidArgument failure for an option not in `valued` or
// `flags`, or a missing value. With stopAtFirstPositional the first
// positional argument and all after it are left as they are, in positional:
// the command and its arguments.
ParsedArgs scanOptions(const std::vector<std::string>& args, const std::vector<std::string>& valued,
                       const std::vector<std::string>& flags, bool stopAtFirstPositional);
// scanOptions, and an invalidArgument failure for a positional count other
// than `positionalCount` (described by `synopsis`).
ParsedArgs parseArgs(const std::vector<std::string>& args, const std::vector<std::string>& valued,
                     size_t positionalCount, const std::string& synopsis,
                     const std::vector<std::string>& flags = {});

// For a listing that takes nothing but --json: whether it was given; any
// other argument is an invalidArgument failure.
bool jsonFlagAlone(const std::vector<std::string>& args);
// A whole decimal int32, or an invalidArgument failure naming `what`.
int32_t parseNumber(const std::string& text, const std::string& what);
// A --port value: a COM port number from 1 to kMaxComPort, or an
// invalidArgument failure.
inline constexpr int32_t kMaxComPort = 32767;  // "COMn:" of a signed 16-bit n
int32_t parseComPort(const std::string& text);
// --timeout: seconds from 1 to 86400, 10 when not given, or an
// invalidArgument failure.
int32_t parseTimeoutSeconds(const ParsedArgs& parsed);
// The line `monitor` prints for a frame of light: its pulses, its length,
// and the built-in commands it matches, or "unknown".
std::string describeFrame(const std::vector<int64_t>& durations, const LightMatcher& matcher,
                          const DeviceCatalogue& catalogue);
// The same as one JSON object: time (null when ""), pulses, ms, code (null
// when unknown), commands (device, index, command), and with withDurations
// the durations themselves.
std::string describeFrameJson(const std::vector<int64_t>& durations, const std::string& time,
                              const LightMatcher& matcher, const DeviceCatalogue& catalogue, bool withDurations);
// An invalidArgument failure when `text` holds a control character (C0, DEL
// or C1): a name or label with a line break or an escape sequence would
// break every listing and act on the terminal that shows it.
void refuseControlCharacters(const std::string& text, const std::string& what);
// Makes catalogue entry `device` current and checks that command `command`
// ("<index>") has something to send: invalidArgument when malformed,
// another failure when absent.
struct ChosenCommand {
  DeviceProfile* device;
  int32_t command;
};
ChosenCommand chooseCommand(Remote& remote, const std::string& device, const std::string& command);
// A command index (all digits) or a command's name (resolveCommand), or an
// invalidArgument failure.
int32_t resolveCommandOf(const DeviceProfile& device, const std::string& text);
// A catalogue index or an exact device name, or an invalidArgument failure.
int32_t resolveDevice(const DeviceCatalogue& catalogue, const std::string& device);
std::string deviceName(const DeviceProfile& profile);
// The verdict `monitor` prints for one frame of light: "13 pulses, 18.5 ms,
// code 810: SONY - TV command 1", or "..., unknown".
std::string describeFrame(const std::vector<int64_t>& durations, const LightMatcher& matcher,
                          const DeviceCatalogue& catalogue);
// The same as one JSON object: time (null when ""), pulses, ms, code (null
// when unknown), commands (device, index, command), and with withDurations
// the durations themselves.
std::string describeFrameJson(const std::vector<int64_t>& durations, const std::string& time,
                              const LightMatcher& matcher, const DeviceCatalogue& catalogue, bool withDurations);
// deviceName with each control character of a hand-edited file shown as
// U+FFFD, so a listing keeps one line per device and the terminal obeys none.
std::string printableDeviceName(const DeviceProfile& profile);
// `text` with each control character shown as U+FFFD.
std::string printableText(const std::string& text);
// What a command does with the data files. A writer holds the data folder's
// lock from before the load to its exit, so two commands never lose each
// other's changes; a reader takes no lock and rewrites nothing.
enum class Access { read, write };
// The remote on `platform`, started from the data directory as the window
// starts it; problems with the files go to the error stream. Fails when the
// folder cannot be made or (a writer) is held longer than --wait.
std::unique_ptr<Remote> startRemote(Platform& platform, const Context& context, Access access);
// Fails with the first save that did not succeed, so a command never reports
// a change the disk does not hold.
void requireSaved(const Remote& remote);

}  // namespace zapvane::cli
