// The files of one data directory.
#pragma once

#include <string>

namespace zapvane {

struct DataFiles {
  std::string dir;
  std::string settings;     // remotes.set
  std::string selection;    // remotes.sel
  std::string userDevices;  // remotes.usr
  std::string portsConfig;  // ports.conf
  std::string simLog;       // ir-sim.log
  std::string lock;         // .zapvane.lock: whoever holds it may change the files

  static DataFiles in(const std::string& dir);
};

}  // namespace zapvane
