#include "platform/lirc_syscalls.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

namespace zapvane {

int KernelLircSyscalls::open(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
  return fd < 0 ? -errno : fd;
}

int KernelLircSyscalls::ioctl(int fd, unsigned long request, uint32_t& value) {
  return ::ioctl(fd, request, &value) < 0 ? -errno : 0;
}

long KernelLircSyscalls::read(int fd, void* data, size_t size) {
  for (;;) {
    const ssize_t n = ::read(fd, data, size);
    if (n >= 0) return static_cast<long>(n);
    if (errno != EINTR) return -errno;
  }
}

long KernelLircSyscalls::write(int fd, const void* data, size_t size) {
  for (;;) {
    const ssize_t n = ::write(fd, data, size);
    if (n >= 0) return static_cast<long>(n);
    if (errno != EINTR) return -errno;
  }
}

int KernelLircSyscalls::poll(int fd, int32_t milliseconds) {
  pollfd watched{fd, POLLIN, 0};
  const int n = ::poll(&watched, 1, milliseconds);
  if (n < 0) return errno == EINTR ? 0 : -errno;
  if (n == 0) return 0;
  // An unplugged device wakes the poll with POLLHUP or POLLERR and no data.
  if ((watched.revents & POLLIN) == 0) return -ENODEV;
  return 1;
}

void KernelLircSyscalls::close(int fd) { ::close(fd); }

}  // namespace zapvane
