// Signals from the outside world's code files (Flipper .ir, Pronto Hex,
// lircd.conf) as plain light: named lists of microsecond durations, mark
// first, alternating. The readers and writers here turn text into such
// lists and back; they never touch a file, so the callers decide where the
// text comes from and where it goes.
//
// Every reader is bounded: a shared file of a few kilobytes is normal, so
// anything far past that is refused before it is parsed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace zapvane {

inline constexpr size_t kMaxCodeFileBytes = size_t{1} << 20;
inline constexpr size_t kMaxCodeLineBytes = size_t{64} << 10;
inline constexpr size_t kMaxSignalValues = 1024;
// The light of a frame that ends on a mark is followed by this much dark
// before the next one, where a file does not say otherwise.
inline constexpr int32_t kTrailingGapMicroseconds = 100'000;
// The carrier our port makes (zero bytes at 38400 baud), written into
// every exported file.
inline constexpr int32_t kExportCarrierHz = 38'000;
// No remote's mark or space lasts longer; a larger number is a damaged value.
inline constexpr int64_t kMaxDurationMicroseconds = 10'000'000;

struct CodeSignal {
  std::string name;
  std::vector<int32_t> durations;  // microseconds, mark first
  std::string skipped;             // why the signal cannot be used; empty when it can
};

// The lines of `text` (LF or CRLF), refused as a whole (corruption) when the
// text is longer than kMaxCodeFileBytes or a line longer than
// kMaxCodeLineBytes. `what` names the text in the message.
Status splitCodeLines(std::string_view text, const std::string& what, std::vector<std::string_view>& lines);

// `text` without blanks at either end.
std::string_view trimBlanks(std::string_view text);

// The blank-separated words of `text`.
std::vector<std::string_view> splitWords(std::string_view text);

// A whole unsigned number in `base`, or false.
bool parseUnsigned(std::string_view text, int base, uint64_t& value);

}  // namespace zapvane
