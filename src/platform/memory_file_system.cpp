#include "platform/memory_file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <utility>

namespace zapvane {

std::string MemoryFileSystem::parentOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

Status MemoryFileSystem::readFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes,
                                  bool* truncated) {
  bytes.clear();
  if (truncated != nullptr) *truncated = false;
  const auto found = files_.find(path);
  if (found == files_.end()) {
    return directories_.count(path) != 0 ? Status::fromErrno(EISDIR, "cannot read " + path)
                                         : Status::fromErrno(ENOENT, "cannot open " + path);
  }
  const std::vector<uint8_t>& all = found->second.bytes;
  if (truncated != nullptr) *truncated = all.size() > maxBytes;
  bytes.assign(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(std::min(all.size(), maxBytes)));
  return Status::ok();
}

Status MemoryFileSystem::writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
  return save(path, bytes, true);
}

Status MemoryFileSystem::createFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
  return save(path, bytes, false);
}

Status MemoryFileSystem::save(const std::string& path, const std::vector<uint8_t>& bytes, bool replace) {
  const std::string dir = parentOf(path);
  if (directories_.count(dir) == 0) return Status::fromErrno(ENOENT, "cannot create a file beside " + path);
  if (directories_.count(path) != 0) return Status::fromErrno(EISDIR, "cannot replace " + path);
  if (fault == FileFault::readOnly) return Status::fromErrno(EROFS, "cannot create a file beside " + path);
  if (crashesAt(SaveStep::createTemporary)) return Status::ioError("crashed");
  // Named as the real saves name theirs: hidden, marked, six letters or digits.
  char suffix[8];
  std::snprintf(suffix, sizeof suffix, "t%05d", ++temporaries_ % 100000);
  const std::string tmp = (dir == "/" ? "" : dir) + "/" + temporaryPrefixFor(path.substr(path.find_last_of('/') + 1)) + suffix;
  files_[tmp] = {{}, nowSeconds};

  auto fail = [this, &tmp](int error, const std::string& what) {
    files_.erase(tmp);
    return Status::fromErrno(error, what);
  };
  std::vector<uint8_t> written = bytes;
  if (fault == FileFault::fullDisk && written.size() > freeBytes) {
    return fail(ENOSPC, "cannot write " + path);
  }
  if (fault == FileFault::shortWrite) return fail(EIO, "cannot write " + path);
  if (crashesAt(SaveStep::writeTemporary)) {
    written.resize(written.size() / 2);  // the kill came halfway through
    files_[tmp].bytes = written;
    return Status::ioError("crashed");
  }
  files_[tmp].bytes = written;
  if (crashesAt(SaveStep::flushTemporary)) return Status::ioError("crashed");
  if (fault == FileFault::failedRename) return fail(EXDEV, "cannot replace " + path);
  if (crashesAt(SaveStep::renameOverTarget)) return Status::ioError("crashed");
  if (!replace && files_.count(path) != 0) {
    files_.erase(tmp);
    return Status::busy(path + " exists");
  }
  files_[path] = {std::move(written), nowSeconds};
  files_.erase(tmp);
  if (crashesAt(SaveStep::flushDirectory)) return Status::ioError("crashed");
  return Status::ok();
}

Status MemoryFileSystem::renameNoReplace(const std::string& from, const std::string& to) {
  if (files_.count(from) == 0) return Status::fromErrno(ENOENT, "cannot rename " + from);
  if (exists(to)) return Status::busy(to + " exists");
  if (fault == FileFault::readOnly) return Status::fromErrno(EROFS, "cannot rename " + from);
  files_[to] = files_[from];
  files_.erase(from);
  return Status::ok();
}

Status MemoryFileSystem::createDirectories(const std::string& path) {
  if (files_.count(path) != 0) return Status::ioError("data directory " + path + " is not a directory");
  if (directories_.count(path) != 0) return Status::ok();
  const std::string parent = parentOf(path);
  if (parent != path) {
    const Status made = createDirectories(parent);
    if (!made.isOk()) return made;
  }
  if (fault == FileFault::readOnly) {
    return Status::ioError("cannot create data directory " + path + ": Read-only file system");
  }
  directories_.insert(path);
  return Status::ok();
}

std::vector<DirectoryEntry> MemoryFileSystem::listDirectory(const std::string& dir) {
  std::vector<DirectoryEntry> entries;
  for (const auto& [path, file] : files_) {
    if (parentOf(path) == dir) entries.push_back({path.substr(dir.size() + 1), true, nowSeconds - file.writtenAt});
  }
  for (const std::string& sub : directories_) {
    if (sub != dir && parentOf(sub) == dir) entries.push_back({sub.substr(dir.size() + 1), false, 0});
  }
  return entries;
}

Status MemoryFileSystem::removeFile(const std::string& path) {
  if (files_.count(path) == 0) return Status::fromErrno(ENOENT, "cannot remove " + path);
  if (fault == FileFault::readOnly) return Status::fromErrno(EROFS, "cannot remove " + path);
  files_.erase(path);
  return Status::ok();
}

bool MemoryFileSystem::exists(const std::string& path) {
  return files_.count(path) != 0 || directories_.count(path) != 0;
}

namespace {

class MemoryLock final : public FileLock {
 public:
  MemoryLock(std::set<std::string>& locked, std::string path) : locked_(locked), path_(std::move(path)) {}
  ~MemoryLock() override { locked_.erase(path_); }
  MemoryLock(const MemoryLock&) = delete;
  MemoryLock& operator=(const MemoryLock&) = delete;

 private:
  std::set<std::string>& locked_;
  std::string path_;
};

}  // namespace

Status MemoryFileSystem::lockFile(const std::string& path, double /*waitSeconds*/, const std::string& holder,
                                  std::unique_ptr<FileLock>& held) {
  if (files_.count(path) == 0) {
    if (directories_.count(parentOf(path)) == 0) return Status::fromErrno(ENOENT, "cannot lock " + path);
    if (fault == FileFault::readOnly) return Status::fromErrno(EROFS, "cannot lock " + path);
    files_[path] = {{}, nowSeconds};
  }
  if (locked_.paths.count(path) != 0 || lockedElsewhere.count(path) != 0) {
    return Status::busy(path + " is locked by another process");
  }
  if (fault != FileFault::readOnly) files_[path] = {{holder.begin(), holder.end()}, nowSeconds};
  locked_.paths.insert(path);
  held = std::make_unique<MemoryLock>(locked_.paths, path);
  return Status::ok();
}

void MemoryFileSystem::put(const std::string& path, std::vector<uint8_t> bytes) {
  createDirectories(parentOf(path));
  files_[path] = {std::move(bytes), nowSeconds};
}

std::vector<std::string> MemoryFileSystem::paths() const {
  std::vector<std::string> all;
  for (const auto& entry : files_) all.push_back(entry.first);
  return all;
}

}  // namespace zapvane
