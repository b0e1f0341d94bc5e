// Auto adjust: while one command repeats, the transmit worker steps the
// current device's two adjustment candidates through all 121 pairs, 2.5 s
// each, until the user taps the screen as the device reacts; the tap stores
// the pair in force. Candidates run (space, mark) = (0,0), (-1,0) ... (-5,0),
// (5,0) ... (1,0), (0,-1), (-1,-1) ... and end when both would be 0 again.
//
// Threads: arming and the ending tap run on the window thread; stepping on
// the worker. The candidates and autoAdjustActive are atomic.
#pragma once

#include <cstdint>

#include "catalogue/device_profile.h"
#include "core/data_files.h"
#include "core/problem_reporter.h"
#include "core/remote_core.h"
#include "platform/idle_timeouts.h"
#include "platform/messages.h"

namespace zapvane {

inline constexpr int64_t kCandidateMicroseconds = 2'500'000;

// The message the Auto Adjust button shows before arming.
Message autoAdjustInstruction();
// The message shown when every candidate has been tried.
Message autoAdjustExhausted();

// One step of the candidates; false when they are exhausted (both back at 0).
bool stepAutoAdjust(DeviceProfile& device);

// The Auto Adjust button: shows the instruction (owned by the dialog), arms
// auto adjust and raises the idle time-outs.
void armAutoAdjust(RemoteCore& core, IdleTimeouts& idle, MessageSink& dialog);

// The tap that ends a running auto adjust: the worker stops after its
// repetition, the idle time-outs come back, and the pair in force is stored
// (the settings for a built-in device, the user-devices file for a user
// device) together with the shown position.
// REQUIRES: core.autoAdjustActive and core.pen.buttonHeld are set.
void endAutoAdjustByTap(RemoteCore& core, IdleTimeouts& idle, const DataFiles& files, ProblemReporter& problems);

}  // namespace zapvane
