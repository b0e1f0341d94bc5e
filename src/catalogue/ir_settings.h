// IrSettings: the user's settings record, the exact content of the 20-byte
// settings file. The window thread writes it; the transmit and learn workers
// read port, the adjustments and soundOn while they run, so every word is
// atomic. Values are used as stored, without range checks.
#pragma once

#include <atomic>
#include <cstdint>

namespace zapvane {

struct IrSettings {
  std::atomic<int32_t> port{0};               // zero-based COM port
  std::atomic<int32_t> spaceAdjust{0};        // -5..5, built-in devices
  std::atomic<int32_t> savedSelectionPos{0};  // device shown at the next start
  std::atomic<int32_t> soundOn{0};            // any non-zero value beeps
  std::atomic<int32_t> markAdjust{0};         // -5..5, built-in devices
};

}  // namespace zapvane
