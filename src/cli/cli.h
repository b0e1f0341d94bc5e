// zapvane-cli: the remote's core without a window, for scripts, checks and
// headless machines. runCli is the whole program, so tests drive it with
// argument lists and read what it prints.
//
// Exit codes: 0 success; 1 the request cannot be carried out (absent
// command, port cannot be opened); 2 bad usage (unknown subcommand, unknown
// device, malformed number). Errors are one line on stderr.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zapvane::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zapvane::cli
