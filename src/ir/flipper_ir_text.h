// Flipper Zero's infrared remote files (.ir): a two-line header, then
// signals of "key: value" lines, each begun by its "name:", usually
// parted by "#" lines. A parsed signal names a protocol with a 4-byte
// address and command (least significant byte first); a raw one gives its
// carrier, duty cycle and durations.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ir/code_signal.h"
#include "platform/status.h"

namespace zapvane {

// Whether `text` announces itself as an .ir file (its first line is a
// "Filetype:" line), whatever it holds after that.
bool looksLikeFlipperIr(std::string_view text);

// Every signal of the file in file order, a parsed one encoded to its
// light. A signal that cannot be used (unknown protocol, bad numbers, too
// wide an address) carries its reason in `skipped`. The whole text is
// refused (corruption) for a wrong header, a line that is no "key: value"
// and no comment, a key before the first name, more than kMaxSignalValues
// values in a signal, or the bounds of splitCodeLines.
Status parseFlipperIr(std::string_view text, std::vector<CodeSignal>& signals);

// An "IR signals file" of raw signals at kExportCarrierHz.
std::string flipperIrText(const std::vector<CodeSignal>& signals);

}  // namespace zapvane
