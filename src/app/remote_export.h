// Export: a device's commands as the light our port sends for them, on a
// virtual clock (what `pulses` shows), named for the code files that carry
// them out to other tools.
//
// Threads: the command line's only thread.
#pragma once

#include <cstdint>
#include <vector>

#include "app/remote.h"
#include "ir/code_signal.h"

namespace zapvane {

// Every present command of catalogue entry `index` at adjustments 0, named
// by commandName, in command order, as the light `pulses` shows for it.
std::vector<CodeSignal> exportSignals(Remote& remote, int32_t index);

}  // namespace zapvane
