// remotes.usr: the user devices with their learned signals, little-endian.
// A 24-byte header, then one 22028-byte block per device; block i starts at
// 24 + 22028 x i. No checksum, no trailer. Files copied from the handheld
// work as they are.
//
// Header:
//   offset  0  fileTag      100 when written, not examined when read
//   offset  4  userCount    0..30
//   offset  8  reserved     four words, written as 0
// Block:
//   offset     0  name         50 UTF-16 units as in memory (terminator and rest included)
//   offset   100  isLearned    1 (note: before skinType, the reverse of the record)
//   offset   104  skinType     0 TV skin, 1 VCR skin
//   offset   108  spaceAdjust  -5..5
//   offset   112  markAdjust   -5..5
//   offset   116  reserved     three words, written as 0
//   offset   128  signals      slots 0..26, 800 bytes each (slots 27..29 are never stored)
//   offset 21728  labels       slots 0..9, 15 UTF-16 units (30 bytes) each
#pragma once

#include <cstddef>
#include <cstdint>

#include "catalogue/device_catalogue.h"
#include "catalogue/device_profile.h"

namespace zapvane::user_devices_format {

inline constexpr const char* kFileName = "remotes.usr";
inline constexpr int32_t kFileTag = 100;

inline constexpr size_t kFileTagOffset = 0;
inline constexpr size_t kUserCountOffset = 4;
inline constexpr size_t kHeaderReservedWords = 4;
inline constexpr size_t kHeaderSize = 24;

inline constexpr size_t kNameOffset = 0;
inline constexpr size_t kNameBytes = 2 * kNameUnits;
inline constexpr size_t kIsLearnedOffset = 100;
inline constexpr size_t kSkinTypeOffset = 104;
inline constexpr size_t kSpaceAdjustOffset = 108;
inline constexpr size_t kMarkAdjustOffset = 112;
inline constexpr size_t kBlockReservedWords = 3;
inline constexpr size_t kSignalsOffset = 128;
inline constexpr int kStoredSignalSlots = 27;
inline constexpr size_t kSignalBytes = sizeof(LearnedSignal);
inline constexpr size_t kLabelsOffset = kSignalsOffset + kStoredSignalSlots * kSignalBytes;
inline constexpr size_t kLabelBytes = 2 * kLabelUnits;
inline constexpr size_t kBlockSize = kLabelsOffset + kUserLabelSlots * kLabelBytes;

inline constexpr size_t kMaxFileSize = kHeaderSize + kMaxUserDevices * kBlockSize;

static_assert(kLabelsOffset == 21728);
static_assert(kBlockSize == 22028);
static_assert(kHeaderSize + 2 * kBlockSize == 44080);
static_assert(kMaxFileSize == 660864);

}  // namespace zapvane::user_devices_format
