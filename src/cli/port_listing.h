// What `zapvane-cli ports` and `receive` find out about the ports, as data,
// apart from how it is printed (text today; another format can be added
// beside portsText and heardText).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace zapvane::cli {

// One of COM1..COM4, or a kernel IR device found on the machine (number 0).
struct PortListing {
  int number = 0;
  std::string kind;    // sim, tty, lirc or none
  std::string path;    // the device, for tty and lirc
  std::string detail;  // lirc: its features, or why it cannot be opened
};

// COM1..COM4 as `config` says, then every /dev/lircN present, each kernel
// device opened once to read its features.
std::vector<PortListing> listPorts(Platform& platform, const PortsConfig& config);
// "COMn\tkind[\tpath[\tdetail]]" per port, "found\tpath\tdetail" per device.
std::string portsText(const std::vector<PortListing>& ports);
// One JSON array: port ("COMn", null for a device found), kind, path and
// detail (null when there is none).
std::string portsJson(const std::vector<PortListing>& ports);

// One signal a receiver heard: mode2 durations (us, pulse first) and the
// verdict line `monitor` prints for it.
struct HeardSignal {
  std::vector<int64_t> durations;
  std::string verdict;
};
// "pulse N" / "space N" lines, the verdict, then a blank line.
std::string heardText(const HeardSignal& signal);

}  // namespace zapvane::cli
