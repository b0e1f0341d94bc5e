// The pen and the menus: taps on the skin become actions (switch device,
// toggle the shift page, send a command while the pen is held, end auto
// adjust), menu commands run with their refusals, and the window is told
// what to show. The workflow itself is Remote's (penDown, penUp, command,
// skinView, shutdown); this header holds what the window and tests share.
//
// Threads: window thread only. A press starts the transmit worker and
// afterwards changes only buttonHeld, which the worker polls.
#pragma once

#include <cstdint>

#include "app/skin_layouts.h"
#include "platform/messages.h"

namespace zapvane {

inline constexpr int32_t kSpecialButtonPauseMs = 200;
inline constexpr int32_t kAfterStartPauseMs = 10;
inline constexpr int32_t kShutdownPauseMs = 500;

// "Learning Mode": what a refused menu command shows while learning.
Message learningRefusal();

// The text rectangle of shift-page label slot k, in window coordinates.
WindowRect labelRect(int32_t slot);

}  // namespace zapvane
