#include "platform/sim_transmitter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

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

long SimTransmitter::read(uint8_t* data, size_t size) {
  if (readClock_ != nullptr) readClock_->advanceNanoseconds(readCost_);
  if (!receiver_) return 0;
  const int64_t ticks = counter_.now();
  const int64_t frequency = counter_.frequency();
  const int64_t now = ticks / frequency * 1'000'000'000 + ticks % frequency * 1'000'000'000 / frequency;
  const size_t count = receiver_->read(now, size);
  std::fill_n(data, count, uint8_t{0});  // the characters' values mean nothing
  return static_cast<long>(count);
}

void SimTransmitter::frameDone() {
  if (bursts_.empty()) return;
  if (onFrame) onFrame(bursts_);
  if (!logPath_.empty()) {
    const auto durations = mode2Durations(bursts_, counter_.frequency(), 0);
    appendToSimLog(logPath_, mode2Text(durations) + "\n");
  }
  bursts_.clear();
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

std::string mode2Text(const std::vector<int64_t>& durations) {
  std::string text;
  for (size_t i = 0; i < durations.size(); ++i) {
    text += (i % 2 == 0) ? "pulse " : "space ";
    text += std::to_string(durations[i]);
    text += '\n';
  }
  return text;
}

bool appendToSimLog(const std::string& path, const std::string& text) {
  {
    std::ofstream out(path, std::ios::app | std::ios::binary);
    if (!out) return false;
    out << text;
    if (!out.flush()) return false;
  }
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec || size <= static_cast<uintmax_t>(kSimLogLimitBytes)) return true;

  // Keep the newer half, starting at a frame boundary, and swap it in whole
  // so a reader never sees a torn file.
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string all = buffer.str();
  size_t cut = all.find("\n\n", all.size() / 2);
  cut = cut == std::string::npos ? all.size() : cut + 2;
  const std::string tmp = path + ".tmp";
  {
    std::ofstream out(tmp, std::ios::trunc | std::ios::binary);
    if (!out) return false;
    out << all.substr(cut);
    if (!out.flush()) return false;
  }
  std::filesystem::rename(tmp, path, ec);
  return !ec;
}

}  // namespace zapvane
