#include "platform/loopback_lirc.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zapvane {

namespace {

constexpr uint32_t kMaxSendMicroseconds = 500'000;
constexpr size_t kMaxValues = 512 * 2;

}  // namespace

int LoopbackLirc::open(const std::string& path) {
  std::lock_guard lock(mutex_);
  if (paths.count(path) == 0) return -ENOENT;
  if (unplugged()) return -ENODEV;
  const int fd = nextFd_++;
  queues_[fd];
  return fd;
}

int LoopbackLirc::ioctl(int fd, unsigned long request, uint32_t& value) {
  std::lock_guard lock(mutex_);
  if (queues_.count(fd) == 0) return -EBADF;
  if (unplugged()) return -ENODEV;
  switch (request) {
    case LIRC_GET_FEATURES: value = features; return 0;
    case LIRC_SET_SEND_MODE: return (features & LIRC_CAN_SEND_PULSE) && value == LIRC_MODE_PULSE ? 0 : -ENOTTY;
    case LIRC_SET_REC_MODE: return (features & LIRC_CAN_REC_MODE2) && value == LIRC_MODE_MODE2 ? 0 : -ENOTTY;
    case LIRC_SET_SEND_CARRIER:
      if ((features & LIRC_CAN_SET_SEND_CARRIER) == 0) return -ENOTTY;
      if (value == 0) return -EINVAL;
      carrier_ = value;
      return 0;
    case LIRC_SET_SEND_DUTY_CYCLE:
      if ((features & LIRC_CAN_SET_SEND_DUTY_CYCLE) == 0) return -ENOTTY;
      if (value == 0 || value >= 100) return -EINVAL;
      dutyCycle_ = value;
      return 0;
    case LIRC_SET_REC_TIMEOUT:
      if ((features & LIRC_CAN_SET_REC_TIMEOUT) == 0) return -ENOTTY;
      timeout_ = value;
      return 0;
    default: return -ENOTTY;
  }
}

long LoopbackLirc::write(int fd, const void* data, size_t size) {
  std::vector<uint32_t> durations(size / sizeof(uint32_t));
  {
    std::lock_guard lock(mutex_);
    if (queues_.count(fd) == 0) return -EBADF;
    if (unplugged()) return -ENODEV;
    if ((features & LIRC_CAN_SEND_PULSE) == 0) return -ENOTTY;
    if (writeError != 0) return -writeError;
    if (size % sizeof(uint32_t) != 0 || durations.size() > kMaxValues || durations.size() % 2 == 0) return -EINVAL;
    std::memcpy(durations.data(), data, size);
    uint64_t total = 0;
    for (uint32_t d : durations) {
      total += d;
      if (d == 0 || total > kMaxSendMicroseconds) return -EINVAL;
    }
    ++writes_;
    sent_.push_back({clock_ != nullptr ? clock_->elapsedNanoseconds() : 0, durations});
    if (carrier_ == 0 || (carrier_ >= receiverMinHz && carrier_ <= receiverMaxHz)) deliver(durations);
    if (clock_ != nullptr) clock_->advanceNanoseconds(static_cast<int64_t>(total) * 1000);
  }
  return static_cast<long>(size);
}

void LoopbackLirc::receive(const std::vector<uint32_t>& durations) {
  std::lock_guard lock(mutex_);
  deliver(durations);
}

void LoopbackLirc::deliver(const std::vector<uint32_t>& durations) {
  for (auto& [fd, queue] : queues_) {
    for (size_t i = 0; i < durations.size(); ++i) {
      queue.push_back((i % 2 == 0 ? LIRC_MODE2_PULSE : LIRC_MODE2_SPACE) | (durations[i] & LIRC_VALUE_MASK));
    }
    queue.push_back(LIRC_MODE2_TIMEOUT | timeout_);
  }
}

int LoopbackLirc::poll(int fd, int32_t milliseconds) {
  bool empty = false;
  {
    std::lock_guard lock(mutex_);
    if (queues_.count(fd) == 0) return -EBADF;
    if (unplugged()) return -ENODEV;
    empty = queues_[fd].empty();
  }
  if (empty && whenListening) whenListening();
  std::lock_guard lock(mutex_);
  if (!queues_[fd].empty()) return 1;
  if (clock_ != nullptr) clock_->advanceNanoseconds(int64_t{milliseconds} * 1'000'000);
  return 0;
}

long LoopbackLirc::read(int fd, void* data, size_t size) {
  std::lock_guard lock(mutex_);
  if (queues_.count(fd) == 0) return -EBADF;
  if (unplugged()) return -ENODEV;
  auto& queue = queues_[fd];
  const size_t count = std::min(queue.size(), size / sizeof(uint32_t));
  auto* out = static_cast<uint32_t*>(data);
  for (size_t i = 0; i < count; ++i) {
    out[i] = queue.front();
    queue.pop_front();
  }
  return static_cast<long>(count * sizeof(uint32_t));
}

void LoopbackLirc::close(int fd) {
  std::lock_guard lock(mutex_);
  queues_.erase(fd);
}

std::vector<LoopbackLirc::Sent> LoopbackLirc::sent() const {
  std::lock_guard lock(mutex_);
  return sent_;
}

uint32_t LoopbackLirc::carrierHz() const {
  std::lock_guard lock(mutex_);
  return carrier_;
}

uint32_t LoopbackLirc::dutyCycle() const {
  std::lock_guard lock(mutex_);
  return dutyCycle_;
}

int LoopbackLirc::openCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(queues_.size());
}

}  // namespace zapvane
