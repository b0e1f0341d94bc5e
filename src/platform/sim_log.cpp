#include "platform/sim_log.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <vector>

#include "platform/posix_file.h"

namespace zapvane {

namespace {

std::string lockPathOf(const std::string& path) { return path + ".lock"; }

bool readAt(int fd, uint64_t offset, size_t size, std::string& text) {
  text.resize(size);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd, text.data() + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  text.resize(done);
  return true;
}

// The bytes trims have dropped, as the lock file keeps them; 0 when it holds
// nothing readable.
uint64_t droppedBytes(int lockFd) {
  std::string text;
  if (!readAt(lockFd, 0, 24, text)) return 0;
  uint64_t dropped = 0;
  std::from_chars(text.data(), text.data() + text.size(), dropped);
  return dropped;
}

// Keeps at most half the limit, from the first frame that starts in it, in a
// temporary made exclusively (never through a link someone left there) and
// renamed over the log. REQUIRES: the exclusive lock is held.
void trim(const std::string& path, int logFd, uint64_t size, int64_t limitBytes, int lockFd) {
  const uint64_t from = size - static_cast<uint64_t>(limitBytes / 2);
  std::string tail;
  if (!readAt(logFd, from, static_cast<size_t>(size - from), tail)) return;
  const size_t boundary = tail.find("\n\n");
  const size_t keptFrom = boundary == std::string::npos ? tail.size() : boundary + 2;
  const std::filesystem::path log(path);
  std::string tmp = (log.parent_path() / ("." + log.filename().string() + ".XXXXXX")).string();
  FileDescriptor out(::mkostemp(tmp.data(), O_CLOEXEC));
  if (out.get() < 0) return;
  struct stat info {};
  if (::fstat(logFd, &info) == 0) ::fchmod(out.get(), info.st_mode & 07777);
  if (!writeAll(out.get(), tail.data() + keptFrom, tail.size() - keptFrom) || ::rename(tmp.c_str(), path.c_str()) != 0) {
    ::unlink(tmp.c_str());
    return;
  }
  const std::string dropped = std::to_string(droppedBytes(lockFd) + from + keptFrom);
  // A count left longer than it is now would read as another number.
  if (::pwrite(lockFd, dropped.data(), dropped.size(), 0) != static_cast<ssize_t>(dropped.size()) ||
      ::ftruncate(lockFd, static_cast<off_t>(dropped.size())) != 0) {
    return;
  }
}

}  // namespace

Status appendToSimLog(const std::string& path, const std::string& frameText, int64_t limitBytes) {
  const std::string what = "cannot record the frame in " + path;
  FileDescriptor lock(::open(lockPathOf(path).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (lock.get() < 0) return Status::fromErrno(errno, what);
  while (::flock(lock.get(), LOCK_EX) != 0) {
    if (errno != EINTR) return Status::fromErrno(errno, what);
  }
  FileDescriptor log(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
  if (log.get() < 0) return Status::fromErrno(errno, what);
  struct stat info {};
  if (::fstat(log.get(), &info) != 0) return Status::fromErrno(errno, what);
  const auto before = static_cast<uint64_t>(info.st_size);
  if (!writeAll(log.get(), frameText.data(), frameText.size())) {
    const int error = errno;
    // The next frame must not run into the part that got through (a device
    // such as /dev/full has no length to cut back to; it kept nothing).
    if (::ftruncate(log.get(), static_cast<off_t>(before)) != 0 && S_ISREG(info.st_mode)) {
      return Status::fromErrno(errno, what + " nor cut off its part");
    }
    return Status::fromErrno(error, what);
  }
  const uint64_t size = before + frameText.size();
  if (size > static_cast<uint64_t>(limitBytes)) {
    FileDescriptor reading(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (reading.get() >= 0) trim(path, reading.get(), size, limitBytes, lock.get());
  }
  return Status::ok();
}

Status readSimLog(const std::string& path, SimLogPosition& position, size_t maxBytes, std::string& text,
                  bool& atEnd) {
  text.clear();
  atEnd = true;
  // Without a lock file no trim has run; a folder the reader may not write
  // to is read without the lock.
  FileDescriptor lock(::open(lockPathOf(path).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  if (lock.get() >= 0) {
    while (::flock(lock.get(), LOCK_SH) != 0 && errno == EINTR) {
    }
  }
  FileDescriptor log(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (log.get() < 0) return errno == ENOENT ? Status::ok() : Status::fromErrno(errno, "cannot read " + path);
  struct stat info {};
  if (::fstat(log.get(), &info) != 0) return Status::fromErrno(errno, "cannot read " + path);
  if (!S_ISREG(info.st_mode)) return Status::invalidArgument(path + ": not a regular file");
  const uint64_t dropped = lock.get() >= 0 ? droppedBytes(lock.get()) : 0;
  const auto size = static_cast<uint64_t>(info.st_size);
  const bool replaced = position.file != 0 && position.file != info.st_ino && dropped == position.dropped;
  uint64_t offset = position.at >= dropped ? position.at - dropped : 0;
  if (replaced || offset > size) offset = 0;
  position.file = info.st_ino;
  position.dropped = dropped;
  const uint64_t length = std::min<uint64_t>(size - offset, maxBytes);
  if (!readAt(log.get(), offset, static_cast<size_t>(length), text)) return Status::fromErrno(errno, "cannot read " + path);
  position.at = dropped + offset + text.size();
  atEnd = offset + text.size() >= size;
  return Status::ok();
}

}  // namespace zapvane
