// The learn capture on a kernel IR device: the receiver hands over exact
// mode2 samples, so the signal is stored as heard, (mark us, space us) pairs
// ending with (-1, -1), with no characters to count. The capture waits for
// the first pulse in polls (no processor kept busy; Stop learn and shutdown
// still end it), then records until the receiver's time-out sample, a space
// of kSignalEndMicroseconds or more, a second of signal, or
// kMaxLearnedPairs pairs. A signal with more pairs is cut at a pair
// boundary and LearningState::signalCut says so.
//
// Threads: the learn worker's, as learn_capture.h.
#pragma once

#include <cstdint>
#include <vector>

#include "catalogue/device_profile.h"
#include "learn/learn_capture.h"
#include "platform/lirc_device.h"
#include "platform/messages.h"

namespace zapvane {

inline constexpr int kMaxLearnedPairs = kMaxCaptureEntries - 2;
inline constexpr int64_t kSignalEndMicroseconds = 100'000;
inline constexpr int64_t kLongestSignalMicroseconds = 1'000'000;

// What the window shows after a capture that was cut.
Message signalCutMessage();

// Takes mode2 samples one by one into pairs; done() once the signal is over.
class SampleSignal {
 public:
  void add(uint32_t sample);
  // Silence with no samples (a receiver without time-out samples).
  void quiet(int64_t microseconds);
  bool heard() const { return heard_; }
  bool done() const { return done_; }
  bool cut() const { return cut_; }
  // Ends the signal: the last pulse becomes a pair whose space is 0 (what
  // follows the signal is no part of it), if it fits.
  void finish();
  // The pairs with the end pair.
  void store(LearnedSignal& signal) const;

 private:
  void endPair();

  std::vector<std::pair<int32_t, int32_t>> pairs_;
  int64_t mark_ = 0;
  int64_t space_ = 0;
  int64_t quiet_ = 0;
  int64_t total_ = 0;
  bool heard_ = false;
  bool done_ = false;
  bool cut_ = false;
};

// runLearnCapture's body on a kernel IR device.
CaptureEnd captureSamples(const LearnContext& context, LircDevice& device, std::atomic<bool>& waitingForSignal);

}  // namespace zapvane
