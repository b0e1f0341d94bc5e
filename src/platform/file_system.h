// FileSystem: the file operations the data files need, behind one interface
// so tests can put the whole disk in memory and make it fail on purpose.
// RealFileSystem (real_file_system.h) is POSIX; MemoryFileSystem
// (memory_file_system.h) keeps files in a map and injects faults.
//
// Threads: one caller at a time per instance.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/status.h"

namespace zapvane {

struct DirectoryEntry {
  std::string name;        // without the directory
  bool regularFile;        // not a directory, link or device
  int64_t ageSeconds;      // since it was last written
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The first maxBytes of the file; notFound when there is no such file.
  // `truncated` (when given) tells whether the file holds more.
  virtual Status readFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes,
                          bool* truncated = nullptr) = 0;
  // Writes a temporary file in the same directory, flushes it to the disk,
  // renames it over `path` and flushes the directory: a crash, a kill or a
  // full disk leaves the old file or the new one, never a short or mixed
  // one. On failure the old file stays and the temporary is gone.
  virtual Status writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) = 0;
  // Renames `from` to `to`, never replacing an existing `to` (busy then).
  virtual Status renameNoReplace(const std::string& from, const std::string& to) = 0;
  // Creates the directory and its parents; invalidArgument when the path
  // is something other than a directory.
  virtual Status createDirectories(const std::string& path) = 0;
  // The entries of a directory, empty when it cannot be read.
  virtual std::vector<DirectoryEntry> listDirectory(const std::string& dir) = 0;
  virtual Status removeFile(const std::string& path) = 0;
  // Whether anything (a file, a directory, a dangling link) has this name.
  virtual bool exists(const std::string& path) = 0;
};

}  // namespace zapvane
