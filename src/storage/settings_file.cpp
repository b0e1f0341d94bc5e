#include "storage/settings_file.h"

#include <algorithm>

#include "storage/little_endian.h"
#include "storage/settings_format.h"

namespace zapvane {

namespace {

using namespace settings_format;

// The record's words in file order.
template <class Record>
auto fieldAt(Record& settings, size_t offset) -> decltype(&settings.port) {
  switch (offset) {
    case kPortOffset: return &settings.port;
    case kSpaceAdjustOffset: return &settings.spaceAdjust;
    case kSavedSelectionPosOffset: return &settings.savedSelectionPos;
    case kSoundOnOffset: return &settings.soundOn;
    case kMarkAdjustOffset: return &settings.markAdjust;
    default: return nullptr;
  }
}

}  // namespace

void setDefaultSettings(IrSettings& settings, std::optional<int32_t> configuredPort) {
  // Unsigned arithmetic: a configured port of INT32_MIN must not overflow.
  settings.port = configuredPort ? static_cast<int32_t>(static_cast<uint32_t>(*configuredPort) - 1u) : 0;
  settings.spaceAdjust = 0;
  settings.markAdjust = 0;
  settings.savedSelectionPos = 0;
  settings.soundOn = 1;
}

void readSettingsRecord(IrSettings& settings, const std::vector<uint8_t>& bytes) {
  // The record is read as raw bytes: a file that ends inside a word replaces
  // only that word's low bytes, as reading it into the record in memory does.
  const size_t usable = std::min(bytes.size(), kFileSize);
  for (size_t offset = 0; offset < usable; offset += 4) {
    auto value = static_cast<uint32_t>(fieldAt(settings, offset)->load());
    for (size_t k = 0; k < 4 && offset + k < usable; ++k) {
      value = (value & ~(0xFFu << (8 * k))) | static_cast<uint32_t>(bytes[offset + k]) << (8 * k);
    }
    *fieldAt(settings, offset) = static_cast<int32_t>(value);
  }
}

std::vector<uint8_t> settingsRecordBytes(const IrSettings& settings) {
  std::vector<uint8_t> bytes;
  bytes.reserve(kFileSize);
  for (size_t offset = 0; offset < kFileSize; offset += 4) le::putInt32(bytes, fieldAt(settings, offset)->load());
  return bytes;
}

SettingsLoad loadSettings(IrSettings& settings, FileSystem& fs, const std::string& path,
                          std::optional<int32_t> configuredPort) {
  SettingsLoad result;
  std::vector<uint8_t> bytes;
  Status read = fs.readFile(path, kFileSize, bytes);
  if (read.isNotFound()) {
    setDefaultSettings(settings, configuredPort);
    // Only while still missing: another process may have written its own
    // settings since the read, and those win.
    result.saved = fs.createFileAtomically(path, settingsRecordBytes(settings));
    if (result.saved.code() != Status::Code::busy) return result;
    result.saved = Status::ok();
    read = fs.readFile(path, kFileSize, bytes);
  }
  if (!read.isOk()) {
    setDefaultSettings(settings, configuredPort);
    result.readError = read;
    return result;
  }
  readSettingsRecord(settings, bytes);
  result.fromFile = true;
  return result;
}

Status saveSettings(const IrSettings& settings, FileSystem& fs, const std::string& path) {
  return fs.writeFileAtomically(path, settingsRecordBytes(settings));
}

}  // namespace zapvane
