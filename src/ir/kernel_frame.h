// A frame sent on a kernel IR device: its light in one write, which returns
// when the hardware has sent it, then sleep to the frame's end, so what
// follows the frame starts where it would on the serial port. A frame
// longer than one write may hold (kMaxLircValues, kMaxLircSendMicroseconds:
// a long learned signal) goes in pieces split at a space, the space slept
// between them. No busy-wait: the kernel times the light.
//
// Threads: the thread that holds the port.
#pragma once

#include "ir/frame_light.h"
#include "ir/pulse_timer.h"
#include "platform/lirc_device.h"
#include "platform/sleeper.h"

namespace zapvane {

// Not ok, with the device's reason, when a write fails (data the kernel
// refuses, a device unplugged); the rest of the frame is not sent.
Status sendKernelFrame(LircDevice& device, const FrameLight& light, PulseTimer& timer, Sleeper& sleeper);

}  // namespace zapvane
