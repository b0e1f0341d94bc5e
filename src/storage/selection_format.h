// remotes.sel: the selection list as little-endian int32 words: the count,
// then that many catalogue indices in stepping order. An empty list is the
// four bytes of a 0.
//
//   offset 0      selectionCount   0..100
//   offset 4 + 4i entry i          catalogue index, below catalogueCount
#pragma once

#include <cstddef>

namespace zapvane::selection_format {

inline constexpr const char* kFileName = "remotes.sel";
inline constexpr size_t kCountOffset = 0;
inline constexpr size_t kEntriesOffset = 4;
inline constexpr size_t kEntrySize = 4;
inline constexpr int kMaxEntries = 100;
inline constexpr size_t kMaxFileSize = kEntriesOffset + kEntrySize * kMaxEntries;

}  // namespace zapvane::selection_format
