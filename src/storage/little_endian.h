// Little-endian 32-bit words and UTF-16 units, the only encodings the data
// files use; written byte by byte so the files are the same on any host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zapvane::le {

// REQUIRES: offset + 4 <= bytes.size().
inline int32_t getInt32(const std::vector<uint8_t>& bytes, size_t offset) {
  const uint32_t value = static_cast<uint32_t>(bytes[offset]) | static_cast<uint32_t>(bytes[offset + 1]) << 8 |
                         static_cast<uint32_t>(bytes[offset + 2]) << 16 |
                         static_cast<uint32_t>(bytes[offset + 3]) << 24;
  return static_cast<int32_t>(value);
}

inline char16_t getUnit(const std::vector<uint8_t>& bytes, size_t offset) {
  return static_cast<char16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

inline void putInt32(std::vector<uint8_t>& bytes, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(v >> shift));
}

inline void putUnit(std::vector<uint8_t>& bytes, char16_t unit) {
  bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
  bytes.push_back(static_cast<uint8_t>(unit >> 8));
}

}  // namespace zapvane::le
