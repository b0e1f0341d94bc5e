#include "platform/pulse_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace zapvane {

Status readPulseFile(const std::string& path, RemoteSignal& signal) {
  // Non-blocking: opening a FIFO for reading would otherwise wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Status::fromErrno(errno, "cannot read " + path);
  struct stat info {};
  std::string text;
  Status status = Status::ok();
  if (::fstat(fd, &info) != 0) {
    status = Status::fromErrno(errno, "cannot read " + path);
  } else if (!S_ISREG(info.st_mode)) {
    status = Status::invalidArgument(path + ": not a regular file");
  } else {
    // One byte more than allowed tells a longer file, whatever its size said.
    std::vector<char> bytes(kMaxPulseFileBytes + 1);
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
    if (status.isOk() && done > kMaxPulseFileBytes) {
      status = Status::invalidArgument(path + ": longer than " + std::to_string(kMaxPulseFileBytes >> 20) + " MiB");
    }
    text.assign(bytes.data(), std::min(done, kMaxPulseFileBytes));
  }
  ::close(fd);
  if (!status.isOk()) return status;
  const Status parsed = parseRemoteSignal(text, signal);
  if (!parsed.isOk()) return Status::invalidArgument(path + ": " + parsed.message());
  return Status::ok();
}

}  // namespace zapvane
