// The frame encoder: one command of one device as one frame of light. A
// built-in device's frame is built from its timing and the command's code
// bits, most significant first; a user device's frame replays its learned
// signal pair by pair. Repetition and the gap between frames belong to the
// transmit worker.
//
// Every wait is measured from the stamp taken before the burst it follows,
// so a target covers the burst plus the space after it. Byte counts and the
// bit mask are prepared before the first burst and nothing is allocated, so
// only the wait's own conversion lies between a burst and its wait.
#pragma once

#include <cstdint>

#include "catalogue/device_profile.h"
#include "ir/frame_primitives.h"

namespace zapvane {

// Microseconds per written byte counted in the wait targets. The header mark
// counts 250 and the first tail mark 200: the frames were tuned that way.
inline constexpr int32_t kByteMicroseconds = 234;
inline constexpr int32_t kHeaderByteMicroseconds = 250;
inline constexpr int32_t kTail1ByteMicroseconds = 200;

// Sends one frame of command `command` of `profile`.
// REQUIRES: the port is open for sending and commandExists() holds.
void sendFrame(FramePrimitives& out, const DeviceProfile& profile, int32_t command);

// Sends the pairs of a learned signal up to its end pair (at most 100 pairs).
void playLearned(FramePrimitives& out, const LearnedSignal& signal);

}  // namespace zapvane
