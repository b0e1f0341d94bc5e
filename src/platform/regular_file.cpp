#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace zapvane {

Status readRegularFile(const std::string& path, size_t maxBytes, std::string& text) {
  // Non-blocking: opening a FIFO for reading would otherwise wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Status::fromErrno(errno, "cannot read " + path);
  struct stat info {};
  Status status = Status::ok();
  if (::fstat(fd, &info) != 0) {
    status = Status::fromErrno(errno, "cannot read " + path);
  } else if (!S_ISREG(info.st_mode)) {
    status = Status::invalidArgument(path + ": not a regular file");
  } else {
    // One byte more than allowed tells a longer file, whatever its size said.
    std::vector<char> bytes(maxBytes + 1);
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        status = Status::ioError("cannot read " + path);
        break;
      }
      if (n == 0) break;
      done += static_cast<size_t>(n);
    }
    if (status.isOk() && done > maxBytes) {
      status = Status::invalidArgument(path + ": longer than " + std::to_string(maxBytes >> 20) + " MiB");
    }
    text.assign(bytes.data(), std::min(done, maxBytes));
  }
  ::close(fd);
  return status;
}

}  // namespace zapvane
