#include "platform/real_file_system.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <thread>
#include <utility>

#include "platform/posix_file.h"

namespace zapvane {

namespace {

std::string directoryOf(const std::string& path) {
  std::string dir = std::filesystem::path(path).parent_path().string();
  return dir.empty() ? "." : dir;
}

// The rename is only durable once the directory entry itself is on disk.
void syncDirectoryOf(const std::string& path) {
  FileDescriptor fd(::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) ::fsync(fd.get());
}

}  // namespace

Status RealFileSystem::readFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes,
                                bool* truncated) {
  bytes.clear();
  if (truncated != nullptr) *truncated = false;
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return Status::fromErrno(errno, "cannot open " + path);
  bytes.resize(maxBytes + 1);  // one more tells whether the file is longer
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      bytes.clear();
      // The file is there: whatever the reason, it is no missing file.
      const Status failed = Status::fromErrno(error, "cannot read " + path);
      return failed.isNotFound() ? Status::ioError(failed.message()) : failed;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  if (truncated != nullptr) *truncated = done > maxBytes;
  bytes.resize(std::min(done, maxBytes));
  return Status::ok();
}

Status RealFileSystem::writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
  return save(path, bytes, true);
}

Status RealFileSystem::createFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
  return save(path, bytes, false);
}

Status RealFileSystem::save(const std::string& path, const std::vector<uint8_t>& bytes, bool replace) {
  std::string target;
  const Status resolved = resolveLinks(path, target);
  if (!resolved.isOk()) return resolved;
  std::string tmp;
  FileDescriptor fd(createTemporaryBeside(target, tmp));
  if (fd.get() < 0) return Status::fromErrno(errno, "cannot create a file beside " + target);
  auto fail = [&tmp](int error, const std::string& what) {
    const Status failed = Status::fromErrno(error, what);
    ::unlink(tmp.c_str());  // the old file stays, the temporary goes
    return failed;
  };
  // The file the user made private stays private, and keeps its group.
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0) {
    if (::fchmod(fd.get(), old.st_mode & 07777) != 0) return fail(errno, "cannot keep the mode of " + target);
    [[maybe_unused]] const int ignored = ::fchown(fd.get(), old.st_uid, old.st_gid);
  }
  if (!writeAll(fd.get(), bytes.data(), bytes.size()) || ::fsync(fd.get()) != 0) return fail(errno, "cannot write " + target);
  if (::close(fd.release()) != 0) return fail(errno, "cannot write " + target);
  if (replace) {
    if (::rename(tmp.c_str(), target.c_str()) != 0) return fail(errno, "cannot replace " + target);
  } else if (::renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
    if (errno == EEXIST) {
      ::unlink(tmp.c_str());
      return Status::busy(target + " exists");
    }
    return fail(errno, "cannot create " + target);
  }
  syncDirectoryOf(target);
  return Status::ok();
}

Status RealFileSystem::resolveLinks(const std::string& path, std::string& target) {
  // Bounded as the kernel bounds a lookup, so a loop of links ends.
  constexpr int kMaxLinks = 40;
  target = path;
  for (int hops = 0; hops < kMaxLinks; ++hops) {
    struct stat info {};
    if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return Status::ok();
    std::string link(static_cast<size_t>(PATH_MAX), '\0');
    const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
    if (n < 0) return Status::fromErrno(errno, "cannot follow the link " + target);
    link.resize(static_cast<size_t>(n));
    target = link.front() == '/' ? link : (std::filesystem::path(directoryOf(target)) / link).string();
  }
  return Status::fromErrno(ELOOP, "cannot follow the link " + path);
}

int RealFileSystem::createTemporaryBeside(const std::string& target, std::string& tmp) {
  static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  const std::filesystem::path where(target);
  const std::string prefix =
      (where.parent_path() / temporaryPrefixFor(where.filename().string())).string();
  std::uniform_int_distribution<size_t> pick(0, sizeof kChars - 2);
  for (int attempt = 0; attempt < 100; ++attempt) {
    tmp = prefix;
    for (size_t i = 0; i < kTemporaryRandomChars; ++i) tmp += kChars[pick(random_)];
    // Exclusive and never through a link: a name someone planted is not
    // followed, a new one is drawn. 0666 less the umask, as any new file.
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

namespace {

class FlockHeld final : public FileLock {
 public:
  explicit FlockHeld(int fd) : fd_(fd) {}
  ~FlockHeld() override { ::close(fd_); }  // closing releases the lock
  FlockHeld(const FlockHeld&) = delete;
  FlockHeld& operator=(const FlockHeld&) = delete;

 private:
  int fd_;
};

}  // namespace

Status RealFileSystem::lockFile(const std::string& path, double waitSeconds, const std::string& holder,
                                std::unique_ptr<FileLock>& held) {
  constexpr auto kRetry = std::chrono::milliseconds(20);
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
  // A lock needs no write access: a folder made read-only after the lock
  // file was created still locks.
  if (fd < 0 && (errno == EROFS || errno == EACCES)) fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return Status::fromErrno(errno, "cannot lock " + path);
  FileDescriptor lockFd(fd);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(std::max(0.0, waitSeconds));
  while (::flock(lockFd.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return Status::fromErrno(errno, "cannot lock " + path);
    if (std::chrono::steady_clock::now() >= deadline) return Status::busy(path + " is locked by another process");
    std::this_thread::sleep_for(kRetry);
  }
  // Who holds it is a courtesy to whoever waits: a read-only lock file
  // still locks.
  if (::ftruncate(lockFd.get(), 0) == 0) {
    [[maybe_unused]] const ssize_t written = ::pwrite(lockFd.get(), holder.data(), holder.size(), 0);
  }
  held = std::make_unique<FlockHeld>(lockFd.release());
  return Status::ok();
}

Status RealFileSystem::renameNoReplace(const std::string& from, const std::string& to) {
  // link + unlink never replaces an existing file, unlike rename.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    syncDirectoryOf(from);
    return Status::ok();
  }
  if (errno == EEXIST) return Status::busy(to + " exists");
  if (exists(to)) return Status::busy(to + " exists");
  if (::rename(from.c_str(), to.c_str()) == 0) return Status::ok();  // file systems without hard links
  return Status::fromErrno(errno, "cannot rename " + from);
}

Status RealFileSystem::createDirectories(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::exists(path, ec) && !std::filesystem::is_directory(path, ec)) {
    return Status::ioError("data directory " + path + " is not a directory");
  }
  std::filesystem::create_directories(path, ec);
  if (ec) return Status::ioError("cannot create data directory " + path + ": " + ec.message());
  if (!std::filesystem::is_directory(path, ec)) {
    return Status::ioError("data directory " + path + " is not a directory");
  }
  return Status::ok();
}

std::vector<DirectoryEntry> RealFileSystem::listDirectory(const std::string& dir) {
  std::vector<DirectoryEntry> entries;
  std::error_code ec;
  for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(dir, ec)) {
    struct stat info {};
    if (::lstat(entry.path().c_str(), &info) != 0) continue;
    entries.push_back({entry.path().filename().string(), S_ISREG(info.st_mode),
                       static_cast<int64_t>(::time(nullptr) - info.st_mtime)});
  }
  return entries;
}

Status RealFileSystem::removeFile(const std::string& path) {
  if (::unlink(path.c_str()) != 0) return Status::fromErrno(errno, "cannot remove " + path);
  return Status::ok();
}

bool RealFileSystem::exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace zapvane
