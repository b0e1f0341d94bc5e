// LIRC's remote definitions (lircd.conf) of raw codes: one remote with its
// codes as microsecond durations that begin and end on a pulse, the gap
// after each given once for the remote.
#pragma once

#include <string>
#include <vector>

#include "ir/code_signal.h"

namespace zapvane {

// A RAW_CODES remote called `remoteName`. The dark after each code's last
// pulse goes into the remote's gap (the longest of them, or
// kTrailingGapMicroseconds when no code has one); blanks in names become
// '_', as lircd reads a name up to a blank.
std::string lircdText(const std::string& remoteName, const std::vector<CodeSignal>& signals);

}  // namespace zapvane
