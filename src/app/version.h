// The program's version, set once in the top CMakeLists.txt (project VERSION)
// and shown by About and by --version of both programs.
#pragma once

namespace zapvane {

inline constexpr const char* kVersion = ZAPVANE_VERSION;               // "1.2.0"
inline constexpr const char* kShortVersion = ZAPVANE_VERSION_SHORT;    // "1.2", as About shows it

}  // namespace zapvane
