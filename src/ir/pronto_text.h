// Pronto Hex codes: words of four hex digits. Word 0 is the code's type
// (0000: learned, its light given directly), word 1 the carrier as a count
// of Pronto clock periods, words 2 and 3 the numbers of (mark, space) pairs
// sent once and sent while held, then those pairs in carrier periods. A
// file holds one code per line, "name: words" or the words alone.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ir/code_signal.h"
#include "platform/status.h"

namespace zapvane {

// One Pronto clock period, in microseconds.
inline constexpr double kProntoClockMicroseconds = 0.241246;

// Every code of the text in order; a code without a name is called
// "Code N" (its position among the codes, from 1). Of a code that is sent
// once and then repeated, the once-sent part is taken, else the repeated
// one. A code of another type or without a carrier carries its reason in
// `skipped`. Refused as a whole (corruption): a word that is not four hex
// digits, counts that do not match the words given, more than
// kMaxSignalValues values, or the bounds of splitCodeLines.
Status parsePronto(std::string_view text, std::vector<CodeSignal>& signals);

// One "name: words" line per signal, at kExportCarrierHz; a signal that
// ends on a mark gets kTrailingGapMicroseconds of dark, as pairs need.
std::string prontoText(const std::vector<CodeSignal>& signals);

}  // namespace zapvane
