#include "platform/sim_receiver.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <sstream>

namespace zapvane {

Status parseRemoteSignal(const std::string& text, RemoteSignal& signal) {
  signal.durations.clear();
  int64_t total = 0;
  bool light = false;
  std::istringstream lines(text);
  std::string line;
  int lineNumber = 0;
  while (std::getline(lines, line)) {
    ++lineNumber;
    std::istringstream words(line);
    std::string kind;
    std::string number;
    if (!(words >> kind >> number) || (kind != "pulse" && kind != "space")) continue;
    int64_t value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec != std::errc() || end != number.data() + number.size() || value < 0) {
      return Status::invalidArgument("line " + std::to_string(lineNumber) + ": not a duration: " + number);
    }
    // Compared before adding, so no sum of huge values can overflow.
    if (value > kMaxRemoteFrameMicroseconds - total) {
      return Status::invalidArgument("line " + std::to_string(lineNumber) + ": the frame lasts longer than " +
                                     std::to_string(kMaxRemoteFrameMicroseconds / 1'000'000) + " s");
    }
    total += value;
    const bool pulse = kind == "pulse";
    const bool expectPulse = signal.durations.size() % 2 == 0;
    if (pulse == expectPulse) {
      signal.durations.push_back(value);
    } else if (!signal.durations.empty()) {
      signal.durations.back() += value;  // two of a kind in a row are one
    }
    if (pulse && !signal.durations.empty() && signal.durations.back() * 1000 >= kCarrierPulseNanoseconds) light = true;
  }
  if (signal.durations.empty()) return Status::invalidArgument("no pulse found");
  if (!light) {
    return Status::invalidArgument("no pulse is long enough to be seen (" +
                                   std::to_string((kCarrierPulseNanoseconds + 999) / 1000) + " us or more)");
  }
  return Status::ok();
}

SimReceiver::SimReceiver(RemoteSignal signal, int64_t startNanoseconds)
    : signal_(std::move(signal)), nextFrame_(startNanoseconds) {
  int64_t total = 0;
  for (int64_t d : signal_.durations) total += d;
  frameLength_ = (total + signal_.repeatPauseMicroseconds) * 1000;
  frameLength_ = std::max<int64_t>(frameLength_, kCharacterNanoseconds);
}

void SimReceiver::scheduleFrame(int64_t frameStart) {
  // When each character completes, mark by mark.
  std::vector<int64_t> completions;
  int64_t at = frameStart;
  for (size_t i = 0; i < signal_.durations.size(); ++i) {
    const int64_t length = signal_.durations[i] * 1000;
    if (i % 2 == 0) {
      for (int64_t offset = 0; length - offset >= kCarrierPulseNanoseconds; offset += kCharacterNanoseconds) {
        completions.push_back(at + offset + kCharacterNanoseconds);
      }
    }
    at += length;
  }
  // The FIFO passes characters on at the 8th waiting, or 4 character times
  // after the last completion.
  size_t first = 0;
  while (first < completions.size()) {
    size_t last = first;
    while (last + 1 < completions.size() && last + 1 - first < kFifoTrigger &&
           completions[last + 1] - completions[last] < kFifoTimeoutCharacters * kCharacterNanoseconds) {
      ++last;
    }
    const auto count = static_cast<int32_t>(last - first + 1);
    const int64_t when = count == kFifoTrigger ? completions[last]
                                               : completions[last] + kFifoTimeoutCharacters * kCharacterNanoseconds;
    deliveries_.push_back({when, count});
    first = last + 1;
  }
}

void SimReceiver::scheduleUntil(int64_t until) {
  while (nextFrame_ <= until) {
    scheduleFrame(nextFrame_);
    nextFrame_ += frameLength_;
  }
}

int64_t SimReceiver::nextArrival(int64_t now) {
  scheduleUntil(now);
  if (held_ > 0 || (delivered_ < deliveries_.size() && deliveries_[delivered_].at <= now)) return now;
  // The frame after now holds the next light when the current one has none left.
  if (delivered_ == deliveries_.size()) scheduleUntil(nextFrame_);
  return delivered_ < deliveries_.size() ? deliveries_[delivered_].at : INT64_MAX;
}

size_t SimReceiver::read(int64_t now, size_t wanted) {
  scheduleUntil(now);
  while (delivered_ < deliveries_.size() && deliveries_[delivered_].at <= now) {
    held_ += deliveries_[delivered_].characters;
    ++delivered_;
  }
  const auto taken = static_cast<size_t>(std::min<int64_t>(held_, static_cast<int64_t>(wanted)));
  held_ -= static_cast<int64_t>(taken);
  return taken;
}

}  // namespace zapvane
