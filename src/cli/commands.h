// The subcommands of zapvane-cli and what they share.
#pragma once

#include <cstdint>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "core/remote_core.h"

namespace zapvane::cli {

// Bad usage: exit 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// The request cannot be carried out: exit 1.
struct CommandError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Context {
  std::string dataDir;
  std::ostream& out;
  std::ostream& err;
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

// --- shared helpers ----------------------------------------------------------

// A whole decimal int32, or UsageError naming `what`.
int32_t parseNumber(const std::string& text, const std::string& what);
// A catalogue index or an exact device name, or UsageError.
int32_t resolveDevice(const RemoteCore& core, const std::string& device);
std::string deviceName(const DeviceProfile& profile);
// Starts the core from the data directory as the window does (without
// calibrating a timer); problems with the files go to stderr.
void startCore(RemoteCore& core, const Context& context);

}  // namespace zapvane::cli
