// The calls the kernel's IR devices (/dev/lircN of rc-core) are driven
// with, and nothing else: open, ioctl, read, write, poll, close. Every lirc
// ioctl the program uses carries one 32-bit word. The real calls go to the
// kernel; LoopbackLirc (loopback_lirc.h) stands in for a device in tests and
// in the virtual platform.
//
// Failures are negative errno values, so a caller turns them into a Status
// in one place without reading errno across threads.
//
// Threads: one descriptor is used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zapvane {

class LircSyscalls {
 public:
  virtual ~LircSyscalls() = default;
  // A descriptor opened for reading and writing, or -errno.
  virtual int open(const std::string& path) = 0;
  // 0, or -errno. `value` is read or written as the request says.
  virtual int ioctl(int fd, unsigned long request, uint32_t& value) = 0;
  // Bytes read or written, or -errno. A write blocks until the hardware has
  // sent it; a read follows a poll that found something.
  virtual long read(int fd, void* data, size_t size) = 0;
  virtual long write(int fd, const void* data, size_t size) = 0;
  // 1 when there is something to read, 0 after `milliseconds` without, or
  // -errno (a device that has gone).
  virtual int poll(int fd, int32_t milliseconds) = 0;
  virtual void close(int fd) = 0;
};

// The kernel's own calls.
class KernelLircSyscalls final : public LircSyscalls {
 public:
  int open(const std::string& path) override;
  int ioctl(int fd, unsigned long request, uint32_t& value) override;
  long read(int fd, void* data, size_t size) override;
  long write(int fd, const void* data, size_t size) override;
  int poll(int fd, int32_t milliseconds) override;
  void close(int fd) override;
};

}  // namespace zapvane
