// The simulated infrared receiver: a remote control's signal arriving at a
// serial infrared port at 115200 baud, as a 16550-type UART hands it to the
// driver. While light is on, a character starts with the light and every
// 78.125 us (9 bit times) after it while at least 8.7 us of light remain (one
// carrier pulse); a started character completes. The UART's FIFO passes its
// characters on when 8 are waiting, or when no character has completed for
// 4 character times; a read returns what the driver holds, at most what was
// asked for.
//
// The remote sends one frame of (mark, space) pairs, then after a pause the
// frame again, as a held remote repeats it, from a given moment on.
//
// Threads: one reader at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/status.h"

namespace zapvane {

inline constexpr int64_t kCharacterNanoseconds = 78'125;  // 9 bit times at 115200 baud
inline constexpr int64_t kCarrierPulseNanoseconds = 8'700;
inline constexpr int kFifoTrigger = 8;
inline constexpr int kFifoTimeoutCharacters = 4;

struct RemoteSignal {
  std::vector<int64_t> durations;  // microseconds, pulse first, alternating
  int64_t repeatPauseMicroseconds = 50'000;
};

// A frame longer than this is no remote's: refused, which also keeps the
// delivery schedule of one frame small.
inline constexpr int64_t kMaxRemoteFrameMicroseconds = 10'000'000;

// Reads "pulse N" / "space N" lines (mode2 text); other lines are skipped.
// invalidArgument with the reason when a number is malformed, the frame is
// longer than kMaxRemoteFrameMicroseconds, or no pulse lasts the one carrier
// pulse a receiver needs to see light: a capture would wait for ever.
Status parseRemoteSignal(const std::string& text, RemoteSignal& signal);

class SimReceiver {
 public:
  // The remote starts its first frame at startNanoseconds.
  SimReceiver(RemoteSignal signal, int64_t startNanoseconds);

  // Characters the driver has received up to `nowNanoseconds` and not yet
  // read, at most `wanted`.
  size_t read(int64_t nowNanoseconds, size_t wanted);
  // When the driver next holds characters to read: `nowNanoseconds` when it
  // holds some already, INT64_MAX for a signal without light.
  int64_t nextArrival(int64_t nowNanoseconds);

 private:
  // Extends the delivery schedule past `until`.
  void scheduleUntil(int64_t until);
  void scheduleFrame(int64_t frameStart);

  RemoteSignal signal_;
  int64_t frameLength_ = 0;  // nanoseconds from a frame's start to the next one's
  int64_t nextFrame_;
  struct Delivery {
    int64_t at;
    int32_t characters;
  };
  std::vector<Delivery> deliveries_;  // in time order
  size_t delivered_ = 0;              // deliveries already in the driver
  int64_t held_ = 0;                  // characters in the driver, unread
};

}  // namespace zapvane
