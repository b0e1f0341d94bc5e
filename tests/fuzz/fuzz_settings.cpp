// The settings loader on arbitrary bytes: never reads past them, and the
// zero-filled record it fills holds the leading bytes given, zeros after.
#include <cstdlib>

#include "storage/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zapvane::IrSettings settings;
  zapvane::readSettingsRecord(settings, std::vector<uint8_t>(data, data + size));
  std::vector<uint8_t> expected(data, data + std::min<size_t>(size, 20));
  expected.resize(20);
  if (zapvane::settingsRecordBytes(settings) != expected) std::abort();
  return 0;
}
