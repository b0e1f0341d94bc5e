// Conversions between the fixed UTF-16 buffers of names and labels and the
// UTF-8 the rest of Linux speaks.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zapvane {

// Reads up to the terminator or maxUnits code units; unpaired surrogates
// become U+FFFD.
std::string utf16ToUtf8(const char16_t* units, size_t maxUnits);

// Invalid UTF-8 sequences become U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);

}  // namespace zapvane
