#include "platform/real_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <utility>

namespace zapvane {

namespace {

// Closes on every path out.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

bool writeAll(int fd, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

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
  std::string tmp = path + ".XXXXXX";
  FileDescriptor fd(::mkostemp(tmp.data(), O_CLOEXEC));
  if (fd.get() < 0) return Status::fromErrno(errno, "cannot create a file beside " + path);
  // mkstemp makes 0600; the data files are ordinary user files.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd.get(), 0666 & ~mask);

  auto fail = [&tmp](int error, const std::string& what) {
    const Status failed = Status::fromErrno(error, what);
    ::unlink(tmp.c_str());
    return failed;
  };
  if (!writeAll(fd.get(), bytes) || ::fsync(fd.get()) != 0) return fail(errno, "cannot write " + path);
  if (::close(fd.release()) != 0) return fail(errno, "cannot write " + path);
  if (::rename(tmp.c_str(), path.c_str()) != 0) return fail(errno, "cannot replace " + path);
  syncDirectoryOf(path);
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
    return Status::invalidArgument("data directory " + path + " is not a directory");
  }
  std::filesystem::create_directories(path, ec);
  if (ec) return Status::ioError("cannot create data directory " + path + ": " + ec.message());
  if (!std::filesystem::is_directory(path, ec)) {
    return Status::invalidArgument("data directory " + path + " is not a directory");
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
