// The one rig of the Qt-free tests: a Remote on a VirtualPlatform, its data
// folder in memory (faults on demand through `disk`), a virtual clock and
// recording simulated ports, the error stream kept. A test states its case
// in a few lines: put files, start, act, look at files, frames and lines.
//
// Threads: the test thread drives; a worker's frames are read after join.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "app/remote.h"
#include "platform/virtual_platform.h"

namespace zapvane::testing {

inline constexpr const char* kRigFolder = "/data";

struct Rig {
  Rig() = default;
  Rig(const Rig&) = delete;
  Rig& operator=(const Rig&) = delete;

  // Start-up as the window runs it: the data folder held, then the files.
  // A failure shows among the error lines.
  Rig& started() {
    for (const Status& step : {remote.lockDataFolder(Remote::Holder::window, 0), remote.start()}) {
      if (!step.isOk()) err << "rig: " << step.message() << '\n';
    }
    return *this;
  }
  // The path of a data file, e.g. path("remotes.set").
  static std::string path(const std::string& name) { return std::string(kRigFolder) + "/" + name; }
  void put(const std::string& name, std::vector<uint8_t> bytes) { disk.put(path(name), std::move(bytes)); }
  bool has(const std::string& name) const { return disk.has(path(name)); }
  const std::vector<uint8_t>& bytes(const std::string& name) const { return disk.bytesOf(path(name)); }

  // Replaces the selection and shows the device at `pos`, as a start-up would.
  void select(std::initializer_list<int32_t> entries, int32_t pos = 0) {
    remote.selection = {};
    for (int32_t e : entries) remote.selection.entries[static_cast<size_t>(remote.selection.selectionCount++)] = e;
    remote.settings.savedSelectionPos = pos;
    remote.showSavedDevice();
  }
  // The lines the remote wrote on its error stream since the last call.
  std::string takeLines() {
    std::string lines = err.str();
    err.str("");
    return lines;
  }

  VirtualPlatform platform;
  MemoryFileSystem& disk = platform.memoryFiles;
  std::ostringstream err;
  Remote remote{platform, DataFiles::in(kRigFolder), err, "zapvane"};
};

}  // namespace zapvane::testing
