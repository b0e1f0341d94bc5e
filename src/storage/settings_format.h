// remotes.set: the IrSettings record as five little-endian int32 words,
// 20 bytes, no header. Files copied from the handheld work as they are.
//
//   offset  0  port               zero-based COM port
//   offset  4  spaceAdjust        -5..5
//   offset  8  savedSelectionPos  position in the selection list
//   offset 12  soundOn            non-zero beeps; exactly 1 shows the check mark
//   offset 16  markAdjust         -5..5
#pragma once

#include <cstddef>

namespace zapvane::settings_format {

inline constexpr const char* kFileName = "remotes.set";
inline constexpr size_t kPortOffset = 0;
inline constexpr size_t kSpaceAdjustOffset = 4;
inline constexpr size_t kSavedSelectionPosOffset = 8;
inline constexpr size_t kSoundOnOffset = 12;
inline constexpr size_t kMarkAdjustOffset = 16;
inline constexpr size_t kFileSize = 20;

}  // namespace zapvane::settings_format
