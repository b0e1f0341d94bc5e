// zapvane-cli through runCli as a shell calls it, on a data folder of the
// test's own: the fixture the command line suites share.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "support/test_folder.h"

namespace zapvane::testing {

struct CliRun {
  int code;
  std::string out, err;
};

class CliInFolder : public ::testing::Test {
 protected:
  CliRun cli(std::vector<std::string> args) {
    std::ostringstream out, err;
    args.insert(args.begin(), "--data-dir=" + dir.path().string());
    const int code = cli::runCli(args, out, err);
    return {code, out.str(), err.str()};
  }
  TestFolder dir;
};

}  // namespace zapvane::testing
