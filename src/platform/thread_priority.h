// Priority of the calling thread while it times a frame. Time-critical is
// SCHED_FIFO at the top priority where the process may use it (CAP_SYS_NICE
// or an rtprio limit); elsewhere the thread stays at normal priority and a
// one-line notice goes to stderr, once per process.
#pragma once

namespace zapvane {

// True when the thread now runs under SCHED_FIFO.
bool raiseToTimeCritical();
void dropToNormalPriority();
// The handheld followed each drop with a scheduler quantum hint (254 while
// sending, 200 while learning). Linux has no such knob; kept as a no-op so
// the call sites read as the timing was designed.
inline void schedulingHint(int) {}

}  // namespace zapvane
