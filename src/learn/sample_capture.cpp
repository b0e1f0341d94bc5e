#include "learn/sample_capture.h"

#include <algorithm>
#include <limits>

namespace zapvane {

namespace {

int32_t clampMicroseconds(int64_t microseconds) {
  return static_cast<int32_t>(std::min<int64_t>(microseconds, std::numeric_limits<int32_t>::max()));
}

}  // namespace

Message signalCutMessage() {
  return {"Signal too long! Only its first " + std::to_string(kMaxLearnedPairs) + " pulses were learned.", "Limit",
          MessageIcon::exclamation};
}

void SampleSignal::endPair() {
  if (mark_ == 0) return;
  if (pairs_.size() == static_cast<size_t>(kMaxLearnedPairs)) {
    cut_ = true;
    done_ = true;
    return;
  }
  pairs_.emplace_back(clampMicroseconds(mark_), clampMicroseconds(space_));
  mark_ = 0;
  space_ = 0;
}

void SampleSignal::add(uint32_t sample) {
  if (done_) return;
  const int64_t value = sampleValue(sample);
  switch (sampleKind(sample)) {
    case SampleKind::pulse:
      if (!heard_) heard_ = true;
      if (space_ > 0) endPair();
      if (done_) return;
      mark_ += value;
      break;
    case SampleKind::space:
      if (!heard_) return;  // the silence before the signal is no part of it
      space_ += value;
      if (space_ >= kSignalEndMicroseconds) done_ = true;
      break;
    case SampleKind::timeout:
      if (heard_) done_ = true;
      return;
    default: return;  // carrier reports and overflow marks carry no light
  }
  quiet_ = 0;
  total_ += value;
  if (total_ >= kLongestSignalMicroseconds) done_ = true;
}

void SampleSignal::quiet(int64_t microseconds) {
  if (!heard_) return;
  quiet_ += microseconds;
  if (quiet_ >= kSignalEndMicroseconds) done_ = true;
}

void SampleSignal::finish() {
  space_ = 0;
  if (!cut_) endPair();
  done_ = true;
}

void SampleSignal::store(LearnedSignal& signal) const {
  size_t word = 0;
  for (const auto& [mark, space] : pairs_) {
    signal.words[word++] = mark;
    signal.words[word++] = space;
  }
  signal.words[word++] = kEndMark;
  signal.words[word] = kEndMark;
}

CaptureEnd captureSamples(const LearnContext& context, LircDevice& device, std::atomic<bool>& waitingForSignal) {
  SampleSignal signal;
  std::vector<uint32_t> samples;
  while (!signal.done()) {
    if (context.port.captureStop) {
      context.learning.captureRunning = false;
      return CaptureEnd::stopped;
    }
    samples.clear();
    const Status read = device.readSamples(samples, kSamplePollMilliseconds);
    if (!read.isOk()) {
      context.port.reportDeviceFailure(read);
      context.learning.captureRunning = false;
      return CaptureEnd::failed;
    }
    if (samples.empty()) signal.quiet(int64_t{kSamplePollMilliseconds} * 1000);
    for (uint32_t sample : samples) signal.add(sample);
    if (signal.heard()) waitingForSignal = false;
  }
  signal.finish();
  if (LearnedSignal* slot = slotBeingLearned(context)) signal.store(*slot);
  context.learning.signalCut = signal.cut();
  return finishCapture(context);
}

}  // namespace zapvane
