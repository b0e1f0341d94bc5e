// A file system in memory for tests, with the faults a real disk has on
// demand: a full disk, a read-only folder, a rename that fails, a write
// that stops short, and a crash at a chosen step of a save (what a kill or
// a power cut leaves behind). Paths are plain strings; a file's directory
// must exist, as on a real disk.
//
// Threads: one caller at a time.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace zapvane {

// The steps of an atomic save, in order.
enum class SaveStep { createTemporary, writeTemporary, flushTemporary, renameOverTarget, flushDirectory };

enum class FileFault {
  none,
  fullDisk,      // writing the temporary fails with ENOSPC after the bytes that fit
  readOnly,      // nothing can be created, written, renamed or removed
  failedRename,  // the rename over the target fails
  shortWrite,    // the temporary gets half the bytes, then the write fails
  crash,         // the process dies at crashStep: nothing after it happens
};

class MemoryFileSystem final : public FileSystem {
 public:
  MemoryFileSystem() { directories_.insert("/"); }

  Status readFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes,
                  bool* truncated = nullptr) override;
  Status writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) override;
  Status createFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) override;
  // Never waits: a lock held here or in lockedElsewhere is busy at once.
  // REQUIRES: the lock is released before this file system is destroyed.
  Status lockFile(const std::string& path, double waitSeconds, const std::string& holder,
                  std::unique_ptr<FileLock>& held) override;
  Status renameNoReplace(const std::string& from, const std::string& to) override;
  Status createDirectories(const std::string& path) override;
  std::vector<DirectoryEntry> listDirectory(const std::string& dir) override;
  Status removeFile(const std::string& path) override;
  bool exists(const std::string& path) override;

  // The fault applies to every call from now on until set back to none.
  FileFault fault = FileFault::none;
  SaveStep crashStep = SaveStep::renameOverTarget;
  // Bytes the disk still takes while fault is fullDisk.
  size_t freeBytes = 0;
  // Seconds of the clock the files' ages are measured on.
  int64_t nowSeconds = 1'000'000;
  // Lock files another process holds.
  std::set<std::string> lockedElsewhere;

  // Test access to the contents.
  void put(const std::string& path, std::vector<uint8_t> bytes);
  bool has(const std::string& path) const { return files_.count(path) != 0; }
  const std::vector<uint8_t>& bytesOf(const std::string& path) const { return files_.at(path).bytes; }
  void age(const std::string& path, int64_t seconds) { files_.at(path).writtenAt = nowSeconds - seconds; }
  std::vector<std::string> paths() const;

 private:
  struct File {
    std::vector<uint8_t> bytes;
    int64_t writtenAt;
  };
  static std::string parentOf(const std::string& path);
  bool crashesAt(SaveStep step) const { return fault == FileFault::crash && crashStep == step; }
  Status save(const std::string& path, const std::vector<uint8_t>& bytes, bool replace);

  std::map<std::string, File> files_;
  std::set<std::string> directories_;
  // Locks belong to their holders, not to the disk: a copy of the disk (what
  // the next process finds) is locked by nobody.
  struct HeldLocks {
    HeldLocks() = default;
    HeldLocks(const HeldLocks&) {}
    HeldLocks& operator=(const HeldLocks&) { return *this; }
    std::set<std::string> paths;
  };
  HeldLocks locked_;
  int temporaries_ = 0;
};

}  // namespace zapvane
