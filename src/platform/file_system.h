// FileSystem: the file operations the data files need, behind one interface
// so tests can put the whole disk in memory and make it fail on purpose.
// RealFileSystem (real_file_system.h) is POSIX; MemoryFileSystem
// (memory_file_system.h) keeps files in a map and injects faults.
//
// Threads: one caller at a time per instance.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/status.h"

namespace zapvane {

struct DirectoryEntry {
  std::string name;        // without the directory
  bool regularFile;        // not a directory, link or device
  int64_t ageSeconds;      // since it was last written
};

// A save's temporary is a hidden file beside its target with a fixed
// marker: ".remotes.usr.zv-" and six more letters or digits. No user names a
// file that way, so sweeping the ones a killed save left behind can never
// take one of the user's own files.
inline constexpr const char* kTemporaryMarker = ".zv-";
inline constexpr size_t kTemporaryRandomChars = 6;
inline std::string temporaryPrefixFor(const std::string& fileName) { return "." + fileName + kTemporaryMarker; }

// Held while it lives; destroying it releases the lock.
class FileLock {
 public:
  virtual ~FileLock() = default;
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
  // one. On failure the old file stays and the temporary is gone. A `path`
  // that is a symbolic link is saved through: its target is replaced, beside
  // itself, and the link stays. The new file keeps the old one's mode.
  virtual Status writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) = 0;
  // As writeFileAtomically, but only while nothing has the name: busy, and
  // nothing written, when another process created it first.
  virtual Status createFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) = 0;
  // Takes the exclusive advisory lock of the file (created when missing),
  // waiting at most `waitSeconds` for another holder to let go: busy when it
  // does not. Locks of other processes and of other calls in this one
  // exclude each other alike. Once held, the file's contents become `holder`
  // (where it can be written), so whoever finds it busy can tell who has it.
  virtual Status lockFile(const std::string& path, double waitSeconds, const std::string& holder,
                          std::unique_ptr<FileLock>& held) = 0;
  // Renames `from` to `to`, never replacing an existing `to` (busy then).
  virtual Status renameNoReplace(const std::string& from, const std::string& to) = 0;
  // Creates the directory and its parents; ioError when the path
  // is something other than a directory.
  virtual Status createDirectories(const std::string& path) = 0;
  // The entries of a directory, empty when it cannot be read.
  virtual std::vector<DirectoryEntry> listDirectory(const std::string& dir) = 0;
  virtual Status removeFile(const std::string& path) = 0;
  // Whether anything (a file, a directory, a dangling link) has this name.
  virtual bool exists(const std::string& path) = 0;
};

}  // namespace zapvane
