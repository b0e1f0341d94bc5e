// Light from a code file as a learned signal that our port plays back as
// that light. The encoder counts each written byte as 234 us in a space's
// target, while a byte lasts 234.375 us (9 bit times at 38400 baud): the
// stored space makes up the difference, so the dark after each mark comes
// out as the file gives it, to the microsecond. Marks are whole bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/device_profile.h"

namespace zapvane {

// As many pairs as a capture stores; the rest of the 100 stay free.
inline constexpr int kMaxImportedPairs = 89;
// Light of one written byte, in nanoseconds.
inline constexpr int64_t kLightByteNanoseconds = 234'375;

// `light` (microseconds, mark first) as the pairs of `signal`, ended by the
// end pair; a last mark without dark after it gets kTrailingGapMicroseconds.
// False with `problem` for more than kMaxImportedPairs pairs or a duration
// that is not positive; `signal` is then left as it was.
bool pairsForLight(const std::vector<int32_t>& light, LearnedSignal& signal, std::string& problem);

}  // namespace zapvane
