// The settings loader on arbitrary bytes: never reads past them, and a whole
// record reads back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "storage/settings_file.h"
#include "storage/settings_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  zapvane::IrSettings settings;
  zapvane::readSettingsRecord(settings, bytes);
  const std::vector<uint8_t> written = zapvane::settingsRecordBytes(settings);
  if (written.size() != zapvane::settings_format::kFileSize) std::abort();
  for (size_t i = 0; i < size && i < written.size(); ++i) {
    if (written[i] != bytes[i]) std::abort();
  }
  return 0;
}
