#include "platform/sim_transmitter.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <thread>

namespace zapvane {

namespace {

constexpr size_t kBurstsReserved = 4096;  // far above one frame: recording never allocates mid-frame

// Rounded up, so the write never returns before its last byte has left.
int64_t ticksFor(int64_t nanoseconds, int64_t frequency) {
  constexpr int64_t kSecond = 1'000'000'000;
  return nanoseconds / kSecond * frequency + ((nanoseconds % kSecond) * frequency + kSecond - 1) / kSecond;
}

}  // namespace

SimTransmitter::SimTransmitter(PerformanceCounter& counter, std::string logPath)
    : counter_(counter), logPath_(std::move(logPath)) {
  bursts_.reserve(kBurstsReserved);
}

bool SimTransmitter::getState(PortState& state) {
  state = state_;
  return true;
}

bool SimTransmitter::setState(const PortState& state) {
  state_ = state;
  return true;
}

bool SimTransmitter::escape(int function) {
  if (function != kEscapeInfraredMode) return false;
  infraredMode_ = true;
  return true;
}

bool SimTransmitter::getTimeouts(PortTimeouts& timeouts) {
  timeouts = timeouts_;
  return true;
}

bool SimTransmitter::setTimeouts(const PortTimeouts& timeouts) {
  timeouts_ = timeouts;
  return true;
}

bool SimTransmitter::setEventMask(uint32_t mask) {
  eventMask_ = mask;
  return true;
}

bool SimTransmitter::setQueueSizes(uint32_t, uint32_t) { return true; }

long SimTransmitter::write(const uint8_t*, size_t size) {
  if (size == 0) return 0;
  const int64_t start = counter_.now();
  if (bursts_.size() < bursts_.capacity()) bursts_.push_back({start, static_cast<int32_t>(size)});
  const int64_t lightTicks = ticksFor(static_cast<int64_t>(size) * kByteNanoseconds, counter_.frequency());
  counter_.spinUntil(start + lightTicks);
  return static_cast<long>(size);
}

void SimTransmitter::pointRemote(RemoteSignal signal, int64_t startNanoseconds) {
  receiver_.emplace(std::move(signal), startNanoseconds);
}

void SimTransmitter::setReadCost(VirtualCounter* clock, int64_t nanoseconds) {
  readClock_ = clock;
  readCost_ = nanoseconds;
}

int64_t SimTransmitter::nowNanoseconds() {
  const int64_t ticks = counter_.now();
  const int64_t frequency = counter_.frequency();
  return ticks / frequency * 1'000'000'000 + ticks % frequency * 1'000'000'000 / frequency;
}

void SimTransmitter::waitForInput(int32_t milliseconds) {
  if (readClock_ != nullptr) return;
  constexpr int64_t kWakeEarlyNanoseconds = 1'000'000;  // a sleep may overshoot; the polls after it will not
  int64_t wait = int64_t{milliseconds} * 1'000'000;
  if (receiver_) {
    const int64_t now = nowNanoseconds();
    wait = std::min(wait, receiver_->nextArrival(now) - now - kWakeEarlyNanoseconds);
  }
  if (wait > 0) std::this_thread::sleep_for(std::chrono::nanoseconds(wait));
}

long SimTransmitter::read(uint8_t* data, size_t size) {
  if (readClock_ != nullptr) readClock_->advanceNanoseconds(readCost_);
  if (!receiver_) return 0;
  const size_t count = receiver_->read(nowNanoseconds(), size);
  std::fill_n(data, count, uint8_t{0});  // the characters' values mean nothing
  return static_cast<long>(count);
}

Status SimTransmitter::frameDone() {
  if (bursts_.empty()) return Status::ok();
  if (onFrame) onFrame(bursts_);
  Status logged = Status::ok();
  if (!logPath_.empty()) {
    const auto durations = mode2Durations(bursts_, counter_.frequency(), 0);
    logged = appendToSimLog(logPath_, "# " + utcTimeStamp(std::chrono::system_clock::now()) + "\n" +
                                          mode2Text(durations) + "\n", logLimit_);
  }
  bursts_.clear();
  return logged;
}

std::vector<int64_t> mode2Durations(const std::vector<Burst>& bursts, int64_t frequency, int64_t endTick) {
  std::vector<int64_t> durations;
  const double microsecondsPerTick = 1e6 / static_cast<double>(frequency);
  for (size_t i = 0; i < bursts.size(); ++i) {
    const double lightMicroseconds = static_cast<double>(bursts[i].bytes) * (kByteNanoseconds / 1000.0);
    durations.push_back(std::llround(lightMicroseconds));
    const double lightEnd = static_cast<double>(bursts[i].startTick) * microsecondsPerTick + lightMicroseconds;
    const bool last = i + 1 == bursts.size();
    const double nextStart = static_cast<double>(last ? endTick : bursts[i + 1].startTick) * microsecondsPerTick;
    if (nextStart > lightEnd) {
      durations.push_back(std::llround(nextStart - lightEnd));
    } else if (!last) {
      durations.push_back(0);  // the next burst began as this one ended
    }
  }
  return durations;
}

std::string utcTimeStamp(std::chrono::system_clock::time_point when) {
  const auto milliseconds =
      std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count();
  const std::time_t seconds = static_cast<std::time_t>(milliseconds / 1000);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[64];
  const size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
  std::snprintf(text + length, sizeof text - length, ".%03dZ", static_cast<int>(milliseconds % 1000));
  return text;
}

std::string mode2Text(const std::vector<int64_t>& durations) {
  std::string text;
  for (size_t i = 0; i < durations.size(); ++i) {
    text += (i % 2 == 0) ? "pulse " : "space ";
    text += std::to_string(durations[i]);
    text += '\n';
  }
  return text;
}

}  // namespace zapvane
