// Starting and ending auto adjust. The Auto Adjust button arms it: the next
// press repeats its command while the transmit worker steps the adjustment
// candidates (ir/auto_adjust.h); the user's tap as the device reacts ends
// it and stores the pair then in force.
//
// Threads: window thread.
#pragma once

#include "app/remote.h"
#include "platform/messages.h"

namespace zapvane {

// The message the Auto Adjust button shows before arming.
Message autoAdjustInstruction();

// The Auto Adjust button: shows the instruction (owned by the dialog), arms
// auto adjust and raises the idle time-outs.
void armAutoAdjust(Remote& remote, MessageSink& dialog);

// The tap that ends a running auto adjust: the worker stops after its
// repetition, the idle time-outs come back, and the pair in force is stored
// (the settings for a built-in device, the user-devices file for a user
// device) together with the shown position.
// REQUIRES: remote.autoAdjustActive and remote.pen.buttonHeld are set.
void endAutoAdjustByTap(Remote& remote);

// Ends auto adjust armed without a running worker: the idle time-outs come
// back and nothing is stored.
void disarmAutoAdjust(Remote& remote);

}  // namespace zapvane
