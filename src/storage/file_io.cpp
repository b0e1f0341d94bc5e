#include "storage/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <utility>

namespace zapvane {

namespace {

std::string errnoText(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

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
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// The rename is only durable once the directory entry itself is on disk.
void syncDirectoryOf(const std::string& path) {
  std::string dir = std::filesystem::path(path).parent_path().string();
  if (dir.empty()) dir = ".";
  FileDescriptor fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) ::fsync(fd.get());
}

}  // namespace

FileRead readFilePrefix(const std::string& path, size_t maxBytes, bool* truncated) {
  FileRead result;
  if (truncated != nullptr) *truncated = false;
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    if (errno != ENOENT) {
      result.exists = true;
      result.status = Status::ioError(errnoText("cannot open", path));
    }
    return result;
  }
  result.exists = true;
  result.bytes.resize(maxBytes + 1);  // one more tells whether the file is longer
  size_t done = 0;
  while (done < result.bytes.size()) {
    const ssize_t n = ::read(fd.get(), result.bytes.data() + done, result.bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      result.status = Status::ioError(errnoText("cannot read", path));
      result.bytes.clear();
      return result;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  if (truncated != nullptr) *truncated = done > maxBytes;
  result.bytes.resize(std::min(done, maxBytes));
  return result;
}

Status writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::string tmp = path + ".XXXXXX";
  FileDescriptor fd(::mkostemp(tmp.data(), O_CLOEXEC));
  if (fd.get() < 0) return Status::ioError(errnoText("cannot create a file beside", path));
  // mkstemp makes 0600; the data files are ordinary user files.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd.get(), 0666 & ~mask);

  if (!writeAll(fd.get(), bytes) || ::fsync(fd.get()) != 0) {
    const Status failed = Status::ioError(errnoText("cannot write", path));
    ::unlink(tmp.c_str());
    return failed;
  }
  if (::close(fd.release()) != 0) {
    const Status failed = Status::ioError(errnoText("cannot write", path));
    ::unlink(tmp.c_str());
    return failed;
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    const Status failed = Status::ioError(errnoText("cannot replace", path));
    ::unlink(tmp.c_str());
    return failed;
  }
  syncDirectoryOf(path);
  return Status::ok();
}

int removeStaleTemporaries(const std::string& path, int64_t minimumAgeSeconds) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  const std::string prefix = target.filename().string() + ".";
  std::error_code ec;
  const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
  int removed = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
    // A save's temporary ends in six random letters and digits; anything
    // else of that length, such as a kept-aside ".bad.10", is the user's.
    const bool temporaryShape = std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                                            [](char c) {
                                              return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                                                     (c >= 'a' && c <= 'z');
                                            });
    if (!temporaryShape) continue;
    struct stat info {};
    if (::lstat(entry.path().c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    if (::time(nullptr) - info.st_mtime < minimumAgeSeconds) continue;
    if (::unlink(entry.path().c_str()) == 0) ++removed;
  }
  return removed;
}

std::string keepAside(const std::string& path, Status& status) {
  status = Status::ok();
  for (int n = 1; n <= 1000; ++n) {
    const std::string aside = path + (n == 1 ? ".bad" : ".bad." + std::to_string(n));
    struct stat info {};
    if (::lstat(aside.c_str(), &info) == 0) continue;
    // link + unlink never replaces an existing file, unlike rename.
    if (::link(path.c_str(), aside.c_str()) == 0) {
      ::unlink(path.c_str());
      syncDirectoryOf(path);
      return aside;
    }
    if (errno == EEXIST) continue;
    if (::rename(path.c_str(), aside.c_str()) == 0) return aside;  // file systems without hard links
    status = Status::ioError(errnoText("cannot rename", path));
    return {};
  }
  status = Status::ioError("too many kept-aside copies of " + path);
  return {};
}

}  // namespace zapvane
